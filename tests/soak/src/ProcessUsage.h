// What the process holds of the machine, read from /proc: resident memory and open file descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soak {

struct ProcessUsage {
    int64_t residentKb = 0;  // VmRSS
    int64_t heapInUseKb = 0; // what the C library's allocator has handed out and not had back
    int openFiles = 0;       // entries of /proc/self/fd, not counting the one the listing itself opens
};

ProcessUsage MeasureProcessUsage();
// What each open descriptor refers to (a path, a socket, a pipe...), in descriptor order.
std::vector<std::string> OpenFileTargets();

} // namespace soak
