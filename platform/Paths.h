// Data-file paths written the Windows way ("Data\shader.txt", "data/images/cubes.TGA") found on a case-
// sensitive file system.
#pragma once

#include <string>

namespace platform {

// Backslashes separate components as slashes do. A relative path whose first component is "Data" (in
// any case) starts in the content folder when one is set. Each component that does not exist under its
// exact name is matched against the directory's entries without regard to case. Returns the path that
// exists, or the path with slashes when nothing matches.
std::string ResolvePath(const std::string& path);

// The folder that stands for "Data" in content paths; empty puts back "Data" in the working directory.
void SetDataFolder(const std::string& folder);

} // namespace platform
