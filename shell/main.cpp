// Entry point of the presentation; the window, its loop and the start-up live in shell/.
#include "shell/AppMain.h"
#include "shell/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
    CommandLine options;
    int exitCode = 0;
    if (!ParseCommandLine(argc, argv, &options, &exitCode, std::cout, std::cerr)) {
        return exitCode;
    }
    return RunProgram(options);
}
