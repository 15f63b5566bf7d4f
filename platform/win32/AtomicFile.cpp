#include "platform/AtomicFile.h"

#include "platform/win32/WinApi.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform {
namespace {

// A reader that holds the file open without sharing its deletion (the exporter's collector, reading it)
// keeps it from being replaced for that moment: the rename is tried again a few times before it fails.
constexpr int kRenameTries = 10;
constexpr DWORD kRenamePauseMs = 50;
// The C library writes at most an int's worth at once.
constexpr size_t kLargestWrite = INT_MAX;

std::string SystemReason(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason.empty() ? "system error " + std::to_string(code) : reason;
}

bool WriteAll(int descriptor, const std::string& contents) {
    size_t written = 0;
    while (written < contents.size()) {
        const size_t chunk =
            contents.size() - written < kLargestWrite ? contents.size() - written : kLargestWrite;
        const int count = _write(descriptor, contents.data() + written, static_cast<unsigned int>(chunk));
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

bool IsSharingConflict(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string* problem) {
    const std::string temporary = path + kAtomicFileSuffix;
    // Binary, or the C library would turn line ends into something else.
    const int descriptor = _open(
        temporary.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        *problem = std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(descriptor, contents);
    const int writeError = errno;
    if (_close(descriptor) != 0 || !written) {
        *problem = std::strerror(written ? errno : writeError);
        _unlink(temporary.c_str());
        return false;
    }
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kRenameTries; ++attempt) {
        if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            return true;
        }
        code = GetLastError();
        if (!IsSharingConflict(code)) {
            break;
        }
        Sleep(kRenamePauseMs);
    }
    *problem = SystemReason(code);
    _unlink(temporary.c_str());
    return false;
}

} // namespace platform
