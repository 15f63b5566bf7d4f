#include "platform/linux/FatalEnds.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace platform::internal {
namespace {

constexpr const char* kProgram = "standview: ";
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kXErrorExitCode = 1;
constexpr int kSignalExitBase = 128;
constexpr rlim_t kBytesPerMegabyte = 1024 * 1024;
constexpr size_t kErrorTextSize = 256;

// A signal handler may only write what was made before: the line for each fatal signal is made when
// the handlers are installed. Process-wide, as the handlers that read it are.
struct CrashLine {
    int signal = 0;
    std::string text;
};
CrashLine crashLines[sizeof kFatalSignals / sizeof kFatalSignals[0]];
// Appended to every line; empty without a limit. Made once with the lines.
std::string limitNote;

std::string LimitNote() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return {};
    }
    return "; the address space is limited to " + std::to_string(limit.rlim_cur / kBytesPerMegabyte) +
           " MB (ulimit -v), which may be too little";
}

void SayCrash(int signal) {
    for (const CrashLine& line : crashLines) {
        if (line.signal == signal) {
            const ssize_t ignored = write(STDERR_FILENO, line.text.data(), line.text.size());
            static_cast<void>(ignored);
        }
    }
    // Ended here, as the signal would have ended it, for whoever started the program to see. The
    // handler was reset on entry and the signal is not held off inside it (SA_RESETHAND, SA_NODEFER), so
    // the core is written now, with this handler on its stack above wherever the signal came. Raised
    // after returning instead, a signal sent from outside (kill -SEGV) could end the program in the
    // renderer's generated code, which no unwinder can leave: the core's stack then named nothing.
    std::raise(signal);
    // Reached only if this thread holds the signal off; the program ends all the same, with the
    // status a shell gives a signal's end. Being a call after the raise, it also keeps this function's
    // frame in the core: a raise in tail position would replace it.
    std::_Exit(kSignalExitBase + signal);
}

// Xlib's own handler prints its dump and exits; this ends the program as well, with one line instead.
int SayXError(Display* display, XErrorEvent* event) {
    char text[kErrorTextSize] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fflush(stdout);
    std::fprintf(stderr, "%sthe X server refused a request (%s, request %u.%u); the show cannot go on%s\n",
                 kProgram, text, static_cast<unsigned>(event->request_code),
                 static_cast<unsigned>(event->minor_code), limitNote.c_str());
    std::fflush(stderr);
    std::_Exit(kXErrorExitCode);
}

bool Install() {
    limitNote = LimitNote();
    for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
        const int fatal = kFatalSignals[i];
        crashLines[i] = {fatal,
                         std::string(kProgram) + "crashed (" + strsignal(fatal) + ")" + limitNote + "\n"};
        // A handler already in place (a sanitizer's) keeps its signal.
        struct sigaction current {};
        if (sigaction(fatal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = SayCrash;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(fatal, &action, nullptr);
    }
    XSetErrorHandler(SayXError);
    return true;
}

} // namespace

void ReportFatalEnds() {
    static const bool installed = Install();
    static_cast<void>(installed);
}

} // namespace platform::internal
