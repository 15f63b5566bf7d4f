// Files that readers elsewhere pick up at any moment (the node exporter's textfile collector, someone
// fetching the booth's snapshot): each is written whole beside its place first and then renamed over
// it, so that a reader finds the old file or the new one, never part of one.
#pragma once

#include <string>

namespace platform {

// The temporary file's name beside `path`: it does not end as the readers' pattern does (*.prom).
constexpr const char* kAtomicFileSuffix = ".tmp";

// Writes `contents` to path + kAtomicFileSuffix and renames that over path. False, with the system's
// reason in *problem, when either step fails; the temporary file is then removed. On Windows it may wait
// a moment for a reader to let go of the file: call it off the frame thread.
bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string* problem);

} // namespace platform
