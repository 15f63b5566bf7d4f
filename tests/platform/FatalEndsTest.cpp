// The ends the program cannot survive are said in a line of its own before the process goes.
#include "platform/linux/FatalEnds.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr rlim_t kLimit = rlim_t{1} << 46;

void AbortUnderALimit() {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = kLimit;
    setrlimit(RLIMIT_AS, &limit);
    platform::internal::ReportFatalEnds();
    std::raise(SIGABRT);
}

// An abort is how the graphics driver's compiler ends when memory runs out (LLVM's "out of memory").
// The limit set is far above what the process holds, so nothing else runs out first.
TEST(FatalEndsTest, ACrashEndsAsTheSignalWouldAfterALineNamingTheAddressSpaceLimit) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread sanitizer holds some 125 TB of address space from the start, more than the "
                    "limit, so the process cannot run on under it";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(AbortUnderALimit(), ::testing::KilledBySignal(SIGABRT),
                "^standview: crashed \\(Aborted\\); the address space is limited to 67108864 MB \\(ulimit "
                "-v\\), which may be too little\n$");
}

} // namespace
