#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
#ifdef _WIN32
    // No mkdtemp: a name in the temporary folder that this process has not taken yet, tagged with the
    // process so that programs running at once never share one, and written with forward slashes as
    // the path resolver writes paths.
    const fs::path base = fs::temp_directory_path();
    for (unsigned attempt = 0; path.empty(); ++attempt) {
        const fs::path candidate =
            base / ("standview-test-" + std::to_string(_getpid()) + "-" + std::to_string(attempt));
        if (fs::create_directory(candidate)) {
            path = candidate.generic_string();
        }
    }
#else
    char pattern[] = "/tmp/standview-test-XXXXXX";
    if (!mkdtemp(pattern)) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
#endif
    if (enter) {
        previousWorkingDir = fs::current_path().string();
        fs::current_path(path);
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!previousWorkingDir.empty()) {
        fs::current_path(previousWorkingDir, ignored);
    }
    fs::remove_all(path, ignored);
}

std::string TempDir::Write(const std::string& relative, const std::string& contents) const {
    const fs::path full = fs::path(path) / relative;
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << contents;
    return full.string();
}

} // namespace testing_support
