#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// Readable by the collector, which runs as a user of its own; the umask still applies.
constexpr mode_t kFileMode = 0644;

// The system's reason for the last call that failed; the temporary file is removed.
bool Fail(const std::string& temporary, std::string* problem) {
    *problem = std::strerror(errno);
    unlink(temporary.c_str());
    return false;
}

bool WriteAll(int descriptor, const std::string& contents) {
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count = write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0 && errno != EINTR) {
            return false;
        }
        written += count > 0 ? static_cast<size_t>(count) : 0;
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string* problem) {
    const std::string temporary = path + kAtomicFileSuffix;
    // A symbolic link planted under the temporary name is not followed.
    const int descriptor =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, kFileMode);
    if (descriptor < 0) {
        *problem = std::strerror(errno);
        return false;
    }
    if (!WriteAll(descriptor, contents)) {
        const int writeError = errno;
        close(descriptor);
        errno = writeError;
        return Fail(temporary, problem);
    }
    if (close(descriptor) != 0) {
        return Fail(temporary, problem);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        return Fail(temporary, problem);
    }
    return true;
}

} // namespace platform
