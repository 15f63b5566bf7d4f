// Entry point of the presentation; the window, its loop and the start-up live in shell/.
#include "platform/Window.h"
#include "shell/AppMain.h"

int main() {
    return AppMain(platform::GetModuleHandle(), ShellFrameCallbacks());
}
