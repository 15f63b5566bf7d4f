#include "platform/WindowClassReports.h"

#include <cstdio>

namespace platform::internal {

bool ClassIsComplete(const WindowClass& windowClass) {
    if (!windowClass.className || !windowClass.procedure) {
        std::fprintf(stderr, "window class: a name and a window procedure are required\n");
        return false;
    }
    return true;
}

void ReportClassTaken(const char* className) {
    std::fprintf(stderr, "window class \"%s\" is already registered\n", className);
}

void ReportUnknownClass(const char* className) {
    std::fprintf(stderr, "window class \"%s\" is not registered\n", className ? className : "");
}

} // namespace platform::internal
