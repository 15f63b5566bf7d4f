// Modal message boxes: the full-screen question and the error reports. Backed by SDL's message box on Linux
// and MessageBoxA on Windows; tests install a hook that answers instead of a person, and an unattended run
// logs them instead.
#pragma once

#include <functional>

namespace platform {

enum class MessageBoxStyle {
    ErrorOk, // caption "Error", exclamation icon, one OK button
    // Question icon, Yes and No buttons; Enter answers Yes. Escape answers No on Linux; Windows' box has
    // no Cancel button for Escape to press, and N answers No there.
    QuestionYesNo,
};

enum class MessageBoxAnswer { Ok, Yes, No };

// `about` (a file's path, or null) is what the message concerns: the box shows the text alone, and a line
// on standard error names it after the text.
MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxStyle style,
                                const char* about = nullptr);

using MessageBoxHook =
    std::function<MessageBoxAnswer(const char* text, const char* caption, MessageBoxStyle)>;
// An empty hook puts the real message box back.
void SetMessageBoxHook(MessageBoxHook hook);

// When nobody is there to answer, each message becomes a line on standard error and gets the answer
// Enter would give (Yes, or OK). A hook still takes precedence.
void SetMessageBoxesUnattended(bool unattended);

} // namespace platform
