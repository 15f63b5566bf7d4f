#include "platform/MessageBox.h"

#include "platform/SystemBackend.h"

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
    MessageBoxAnswer answer;
    if (!internal::ShowSystemMessageBox(text, caption, style, &answer)) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return DefaultAnswer(style);
    }
    return answer;
}

} // namespace platform
