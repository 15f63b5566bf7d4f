#include "platform/SystemBackend.h"
#include "platform/linux/WindowInternals.h"

#include <SDL.h>

namespace platform::internal {

bool ShowSystemMessageBox(const char* text, const char* caption, MessageBoxStyle style,
                          MessageBoxAnswer* answer) {
    // A box may come before the first window (the start question). With the program's display
    // connection open first, the X server never finds itself without clients between the box and the
    // window, when it would reset and refuse the window's connection.
    StartVideoSystem();
    enum { kOk, kYes, kNo };
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kOk, "OK"},
    };
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kYes, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kNo, "No"},
    };
    const bool question = style == MessageBoxStyle::QuestionYesNo;
    SDL_MessageBoxData data{};
    data.flags = question ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_WARNING;
    data.title = caption;
    data.message = text;
    data.numbuttons = question ? 2 : 1;
    data.buttons = question ? yesNoButtons : okButtons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
        return false;
    }
    switch (pressed) {
    case kYes:
        *answer = MessageBoxAnswer::Yes;
        break;
    case kNo:
        *answer = MessageBoxAnswer::No;
        break;
    default:
        *answer = MessageBoxAnswer::Ok;
        break;
    }
    return true;
}

} // namespace platform::internal
