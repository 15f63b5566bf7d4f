// Thread-local data in a library loaded with dlopen: each thread's copy is a dynamic TLS block, a small
// heap block allocated when the thread first uses it.

extern "C" __attribute__((visibility("default"))) char* TlsBlock();

namespace {
constexpr int kBlockBytes = 24;
thread_local char block[kBlockBytes];
} // namespace

extern "C" char* TlsBlock() {
    return block;
}
