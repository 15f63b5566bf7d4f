// The system's part of a window record (platform/WindowRecords.h). Not for use outside platform/.
#pragma once

#include "platform/win32/WinApi.h"

namespace platform {

struct NativeWindow {
    HWND hwnd = nullptr;
    // The class is registered with CS_OWNDC: the window keeps this one device context all its life.
    HDC hdc = nullptr;
};

} // namespace platform
