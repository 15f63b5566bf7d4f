#include "ProcessUsage.h"

#include <filesystem>
#include <malloc.h>
#include <fstream>
#include <sstream>
#include <string>

namespace soak {

namespace {

constexpr const char* kStatusFile = "/proc/self/status";
constexpr const char* kResidentField = "VmRSS:";
constexpr const char* kDescriptorDir = "/proc/self/fd";

int64_t ResidentKb() {
    std::ifstream status(kStatusFile);
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(kResidentField, 0) == 0) {
            std::istringstream fields(line.substr(std::string(kResidentField).size()));
            int64_t kb = 0;
            fields >> kb;
            return kb;
        }
    }
    return -1;
}

int OpenFiles() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDescriptorDir)) {
        (void)entry;
        ++count;
    }
    // The listing holds a descriptor of its own while it runs.
    return count - 1;
}

} // namespace

std::vector<std::string> OpenFileTargets() {
    std::vector<std::string> targets;
    for (const auto& entry : std::filesystem::directory_iterator(kDescriptorDir)) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        targets.push_back(entry.path().filename().string() + " " + (error ? "?" : target.string()));
    }
    return targets;
}

ProcessUsage MeasureProcessUsage() {
    const struct mallinfo2 heap = mallinfo2();
    return {ResidentKb(), static_cast<int64_t>((heap.uordblks + heap.hblkhd) / 1024), OpenFiles()};
}

} // namespace soak
