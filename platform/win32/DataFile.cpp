#include "platform/DataFile.h"

#include "platform/Paths.h"

#include <climits>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform {
namespace {

// The C library reads at most an int's worth at once.
constexpr size_t kLargestRead = INT_MAX;

} // namespace

DataFile::~DataFile() {
    if (descriptor >= 0) {
        _close(descriptor);
    }
}

bool DataFile::Open(const std::string& path) {
    if (descriptor >= 0) {
        return false;
    }
    // Binary, or the C library would turn line ends into something else; a device name such as "CON"
    // opens as a character device, which the check below refuses.
    const int opened = _open(ResolvePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (opened < 0) {
        return false;
    }
    struct _stat64 status {};
    if (_fstat64(opened, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
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
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

bool IsRegularFile(const std::string& path) {
    struct _stat64 status {};
    return _stat64(ResolvePath(path).c_str(), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

} // namespace platform
