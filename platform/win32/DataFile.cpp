#include "platform/DataFile.h"

#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform {
namespace {

// The C library reads at most an int's worth at once.
constexpr size_t kLargestRead = INT_MAX;
constexpr const char* kNotRegular = "not a regular file";
constexpr const char* kDirectory = "a directory, not a regular file";

} // namespace

DataFile::~DataFile() {
    if (descriptor >= 0) {
        _close(descriptor);
    }
}

bool DataFile::Open(const std::string& path) {
    return OpenAt(ResolvePath(path));
}

bool DataFile::OpenAt(const std::string& resolved) {
    if (descriptor >= 0) {
        return false;
    }
    problem.clear();
    // Binary, or the C library would turn line ends into something else; a device name such as "CON"
    // opens as a character device, which the check below refuses.
    const int opened = _open(resolved.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (opened < 0) {
        const int openError = errno;
        // Windows refuses to open a directory as a file and calls it a denied access.
        struct _stat64 status {};
        const bool directory =
            _stat64(resolved.c_str(), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
        problem = directory ? kDirectory : std::strerror(openError);
        return false;
    }
    struct _stat64 status {};
    if (_fstat64(opened, &status) != 0) {
        problem = std::strerror(errno);
    } else if ((status.st_mode & _S_IFMT) != _S_IFREG) {
        problem = (status.st_mode & _S_IFMT) == _S_IFDIR ? kDirectory : kNotRegular;
    }
    if (!problem.empty()) {
        _close(opened);
        return false;
    }
    descriptor = opened;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

size_t DataFile::Read(uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (descriptor >= 0 && done < count) {
        const size_t wanted = count - done < kLargestRead ? count - done : kLargestRead;
        const int got = _read(descriptor, buffer + done, static_cast<unsigned>(wanted));
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
    return descriptor >= 0 ? _lseeki64(descriptor, offset, whence) : -1;
}

bool IsRegularFile(const std::string& path) {
    struct _stat64 status {};
    return _stat64(ResolvePath(path).c_str(), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

std::string FileRefusal(const std::string& path, bool* missing) {
    struct _stat64 status {};
    const bool found = _stat64(path.c_str(), &status) == 0;
    if (missing) {
        *missing = !found && errno == ENOENT;
    }
    if (!found) {
        return std::strerror(errno);
    }
    const int type = status.st_mode & _S_IFMT;
    return type == _S_IFREG ? std::string() : type == _S_IFDIR ? kDirectory : kNotRegular;
}

} // namespace platform
