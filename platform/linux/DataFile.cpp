#include "platform/DataFile.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct FileKind {
    mode_t type;
    const char* name;
};
constexpr FileKind kRefusedKinds[] = {
    {S_IFDIR, "a directory"},        {S_IFIFO, "a FIFO"},         {S_IFSOCK, "a socket"},
    {S_IFCHR, "a character device"}, {S_IFBLK, "a block device"},
};
constexpr const char* kNotRegular = "not a regular file";

// Why a file of this mode is not read ("a FIFO, not a regular file"); empty for a regular file.
std::string RefusalOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    for (const FileKind& kind : kRefusedKinds) {
        if ((mode & S_IFMT) == kind.type) {
            return std::string(kind.name) + ", " + kNotRegular;
        }
    }
    return kNotRegular;
}

} // namespace

DataFile::~DataFile() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

bool DataFile::Open(const std::string& path) {
    return OpenAt(ResolvePath(path));
}

bool DataFile::OpenAt(const std::string& resolved) {
    if (descriptor >= 0) {
        return false;
    }
    // Looked at before it is opened: opening a device can act on it (a tape rewinds, a modem hangs up).
    problem = FileRefusal(resolved);
    if (!problem.empty()) {
        return false;
    }
    // Non-blocking, in case the name was swapped for a FIFO since the check: the check below then
    // refuses it without waiting for a writer.
    const int opened = ::open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(opened, &status) != 0) {
        problem = std::strerror(errno);
    } else {
        problem = RefusalOf(status.st_mode);
    }
    if (!problem.empty()) {
        ::close(opened);
        return false;
    }
    descriptor = opened;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

size_t DataFile::Read(uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (descriptor >= 0 && done < count) {
        const ssize_t got = ::read(descriptor, buffer + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            problem = std::strerror(errno);
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

int64_t DataFile::Seek(int64_t offset, int whence) {
    if (descriptor < 0) {
        return -1;
    }
    return static_cast<int64_t>(::lseek(descriptor, static_cast<off_t>(offset), whence));
}

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(ResolvePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string FileRefusal(const std::string& path, bool* missing) {
    struct stat status {};
    const bool found = ::stat(path.c_str(), &status) == 0;
    if (missing) {
        *missing = !found && errno == ENOENT;
    }
    return found ? RefusalOf(status.st_mode) : std::strerror(errno);
}

} // namespace platform
