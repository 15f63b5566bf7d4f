// Data-file paths written the Windows way ("Data\shader.txt", "data/images/cubes.TGA") found on a
// case-sensitive file system. Depends only on the C library and POSIX directories.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Backslashes separate components as slashes do. Each component that does not exist under its exact
// name is matched against the directory's entries without regard to case. Returns the path that
// exists, or the path with slashes when nothing matches.
std::string ResolvePath(const std::string& path);

// fopen on the resolved path.
FILE* OpenFile(const std::string& path, const char* mode);

} // namespace platform
