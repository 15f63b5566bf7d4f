#include "platform/MessageBox.h"

#include "platform/SystemBackend.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace platform {
namespace {

MessageBoxHook messageBoxHook;
bool unattended = false;
constexpr const char* kAnsweredYes = " (answered Yes)";

// The answer a person pressing Enter would give, used when no box can be shown at all.
MessageBoxAnswer DefaultAnswer(MessageBoxStyle style) {
    return style == MessageBoxStyle::QuestionYesNo ? MessageBoxAnswer::Yes : MessageBoxAnswer::Ok;
}

// One line for the log: the text's own line breaks become spaces, and what it is about follows it.
void LogLine(const char* text, const char* caption, const char* about, const char* answered) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (about != nullptr) {
        line = line + ": " + about;
    }
    std::fprintf(stderr, "%s: %s%s\n", caption, line.c_str(), answered);
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    messageBoxHook = std::move(hook);
}

void SetMessageBoxesUnattended(bool value) {
    unattended = value;
}

MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxStyle style,
                                const char* about) {
    if (messageBoxHook) {
        return messageBoxHook(text, caption, style);
    }
    const MessageBoxAnswer enterAnswer = DefaultAnswer(style);
    if (unattended) {
        LogLine(text, caption, about, style == MessageBoxStyle::QuestionYesNo ? kAnsweredYes : "");
        return enterAnswer;
    }
    // The box cannot say which file it means; the log can.
    if (about != nullptr) {
        LogLine(text, caption, about, "");
    }
    MessageBoxAnswer answer;
    if (!internal::ShowSystemMessageBox(text, caption, style, &answer)) {
        if (about == nullptr) {
            LogLine(text, caption, about, "");
        }
        return enterAnswer;
    }
    return answer;
}

} // namespace platform
