#include "platform/SystemBackend.h"
#include "platform/win32/WinApi.h"

namespace platform::internal {

// A box that asks Yes or No has no Cancel button, so on Windows Escape does not close it: Enter (Yes)
// and the buttons' letters Y and N answer it from the keyboard.
bool ShowSystemMessageBox(const char* text, const char* caption, MessageBoxStyle style,
                          MessageBoxAnswer* answer) {
    const UINT type =
        style == MessageBoxStyle::QuestionYesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONEXCLAMATION;
    switch (MessageBoxA(nullptr, text, caption, type | MB_SETFOREGROUND)) {
    case 0:
        return false;
    case IDYES:
        *answer = MessageBoxAnswer::Yes;
        return true;
    case IDNO:
        *answer = MessageBoxAnswer::No;
        return true;
    default:
        *answer = MessageBoxAnswer::Ok;
        return true;
    }
}

} // namespace platform::internal
