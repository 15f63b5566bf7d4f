// What every system's backend says on standard error when a window class cannot be registered or used.
// Not for use outside platform/.
#pragma once

#include "platform/Window.h"

namespace platform::internal {

// False, with the reason, when the class lacks a name or a window procedure.
bool ClassIsComplete(const WindowClass& windowClass);
void ReportClassTaken(const char* className);
void ReportUnknownClass(const char* className);

} // namespace platform::internal
