// A fresh directory under /tmp (on Windows, the temporary folder) that tests fill with data files;
// optionally the working directory while it lives, since the program opens its data relative to the
// working directory.
#pragma once

#include <string>

namespace testing_support {

class TempDir {
public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    // Writes a file at a path relative to the directory, creating the folders on the way.
    std::string Write(const std::string& relative, const std::string& contents) const;

private:
    std::string path;
    std::string previousWorkingDir;
};

} // namespace testing_support
