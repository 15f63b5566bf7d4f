#include "platform/MessageBox.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <string>

namespace platform {
namespace {

MessageBoxHook messageBoxHook;
bool unattended = false;

// The answer a person pressing Enter would give, used when no box can be shown at all.
MessageBoxAnswer DefaultAnswer(MessageBoxStyle style) {
    return style == MessageBoxStyle::QuestionYesNo ? MessageBoxAnswer::Yes : MessageBoxAnswer::Ok;
}

// One line for the log: the text's own line breaks become spaces.
MessageBoxAnswer LogMessage(const char* text, const char* caption, MessageBoxStyle style) {
    const MessageBoxAnswer answer = DefaultAnswer(style);
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::fprintf(stderr, "%s: %s%s\n", caption, line.c_str(),
                 style == MessageBoxStyle::QuestionYesNo ? " (answered Yes)" : "");
    return answer;
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    messageBoxHook = std::move(hook);
}

void SetMessageBoxesUnattended(bool value) {
    unattended = value;
}

MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxStyle style) {
    if (messageBoxHook) {
        return messageBoxHook(text, caption, style);
    }
    if (unattended) {
        return LogMessage(text, caption, style);
    }
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
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return DefaultAnswer(style);
    }
    switch (pressed) {
    case kYes:
        return MessageBoxAnswer::Yes;
    case kNo:
        return MessageBoxAnswer::No;
    default:
        return MessageBoxAnswer::Ok;
    }
}

} // namespace platform
