// The program's messages, each a line of its own in whatever log catches them: a message written
// without its line end gets one, so that the next never joins it.
#pragma once

#include <string>

namespace platform {

// The text as a line: as given when it ends with a line end, with one added otherwise.
std::string AsLine(const char* text);

// A message on standard output, formatted as printf formats it and written as a line, at once, so that
// a log shows it in order with standard error's lines even when the program ends next.
void PrintMessage(const char* format, ...);

} // namespace platform
