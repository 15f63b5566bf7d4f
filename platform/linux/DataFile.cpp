#include "platform/DataFile.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

DataFile::~DataFile() {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

bool DataFile::Open(const std::string& path) {
    if (descriptor >= 0 || !IsRegularFile(path)) {
        return false;
    }
    // Non-blocking, in case the name was swapped for a FIFO since the check: the check below then
    // refuses it without waiting for a writer.
    const int opened = ::open(ResolvePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(opened, &status) != 0 || !S_ISREG(status.st_mode)) {
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
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(ResolvePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace platform
