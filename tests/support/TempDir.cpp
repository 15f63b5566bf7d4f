#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
    char pattern[] = "/tmp/standview-test-XXXXXX";
    if (!mkdtemp(pattern)) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
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
