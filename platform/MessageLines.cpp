#include "platform/MessageLines.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace platform {
namespace {

constexpr char kLineEnd = '\n';

} // namespace

std::string AsLine(const char* text) {
    std::string line = text != nullptr ? text : "";
    if (line.empty() || line.back() != kLineEnd) {
        line += kLineEnd;
    }
    return line;
}

void PrintMessage(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0) {
        std::vsnprintf(text.data(), text.size(), format, arguments);
    }
    va_end(arguments);
    std::fputs(AsLine(text.data()).c_str(), stdout);
    std::fflush(stdout);
}

} // namespace platform
