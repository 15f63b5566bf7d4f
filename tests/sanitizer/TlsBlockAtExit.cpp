// The sanitizer build's leak check at exit, with a live thread whose dynamic TLS block starts 16 bytes
// into a page, where the runtime would read the block's bounds from the heap's own bookkeeping (see
// platform/linux/sanitizer/DefaultOptions.cpp). Threads are started one after another, each taking a
// new block, until one lands there; that one is kept alive and the program ends. Exit code 0 once the
// leak check has run through; 77 (skipped) when no block landed there.
//
// Usage: test_tls_block_at_exit LIBRARY

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <future>
#include <thread>

namespace {

constexpr uintptr_t kPageBytes = 4096;
constexpr uintptr_t kMisreadOffset = 16;
constexpr int kMostThreads = 20000;
constexpr int kUsage = 2;
constexpr int kSkipped = 77;

using TlsBlockFunction = char* (*)();

bool AtMisreadOffset(uintptr_t address) {
    return address % kPageBytes == kMisreadOffset;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return kUsage;
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    auto tlsBlock = library ? reinterpret_cast<TlsBlockFunction>(dlsym(library, "TlsBlock")) : nullptr;
    if (tlsBlock == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return kUsage;
    }
    for (int attempt = 0; attempt < kMostThreads; ++attempt) {
        std::promise<uintptr_t> placed;
        std::future<uintptr_t> place = placed.get_future();
        std::thread thread([&placed, tlsBlock] {
            const auto address = reinterpret_cast<uintptr_t>(tlsBlock());
            placed.set_value(address);
            while (AtMisreadOffset(address)) {
                std::this_thread::sleep_for(std::chrono::hours(1));
            }
        });
        const uintptr_t address = place.get();
        if (AtMisreadOffset(address)) {
            thread.detach();
            std::printf("thread %d's TLS block at %#zx; ending with it alive\n", attempt, address);
            return 0;
        }
        thread.join();
    }
    std::printf("no thread's TLS block started %zu bytes into a page\n", kMisreadOffset);
    return kSkipped;
}
