// Built into every program of the AddressSanitizer build (STANDVIEW_SANITIZE); ASAN_OPTIONS adds to
// these and overrides them.
//
// intercept_tls_get_addr=0: this runtime (GCC 12's) takes a dynamic TLS block that starts 16 bytes
// into a page for glibc 2.18's layout and reads the two words before it as the block's start and
// size. Since glibc 2.25 no such words are there. libLLVM, which Mesa's llvmpipe loads, has such a
// block for the main thread, a small heap block whose place moves with every allocation before it:
// where it starts at that offset, the leak check at exit scans a range made of the allocator's own
// header and its tracer dies of SIGSEGV. Every other block gets an empty range from this runtime on
// this glibc ("can't guess glibc version"), so without the interception the leak check scans all it
// scanned before.

extern "C" __attribute__((visibility("default"))) const char* __asan_default_options();

extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
