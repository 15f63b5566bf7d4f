#include "qelio/linux/LinuxPortSystem.h"

#include "qelio/QelIo.h"
#include "qelio/QelIoLibrary.h"
#include "qelio/tests/FakePortKernel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>

namespace {

constexpr uint32_t kOwnProcess = 3100;

using testing_support::FakePortKernel;
using testing_support::kIoPortsWithParallelPort;

constexpr const char* kIoPortsWithoutParallelPort = "0000-0cf7 : PCI Bus 0000:00\n"
                                                    "  0060-0060 : keyboard\n"
                                                    "  03f8-03ff : serial\n";
// The same machine as a reader without CAP_SYS_ADMIN sees it.
constexpr const char* kIoPortsHidden = "0000-0000 : PCI Bus 0000:00\n"
                                       "  0000-0000 : rtc_cmos\n"
                                       "  0000-0000 : parport0\n"
                                       "  0000-0000 : serial\n";

class LinuxPortSystemTest : public ::testing::Test {
protected:
    void SetUp() override { kernel.processId = kOwnProcess; }

    FakePortKernel kernel;
    platform::LinuxPortSystem system{kernel};
    qelio::Library library{system};
};

TEST_F(LinuxPortSystemTest, SessionIsPortPermissionOnTheParallelRegisters) {
    EXPECT_EQ(library.Initialize(kOwnProcess), 0);
    EXPECT_TRUE(kernel.granted);
    ASSERT_FALSE(kernel.permissionCalls.empty());
    EXPECT_EQ(kernel.permissionCalls.back(), std::make_tuple(uint16_t{0x378}, uint16_t{3}, true));
    EXPECT_EQ(library.TakeLastError(), 0u);

    EXPECT_EQ(library.CloseSession(kOwnProcess), 0);
    EXPECT_FALSE(kernel.granted);
    EXPECT_EQ(kernel.permissionCalls.back(), std::make_tuple(uint16_t{0x378}, uint16_t{3}, false));
}

TEST_F(LinuxPortSystemTest, KernelWithoutPortAccessGives10WithItsErrno) {
    kernel.permissionError = ENOSYS;
    EXPECT_EQ(library.Initialize(kOwnProcess), 10);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(ENOSYS));
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
}

TEST_F(LinuxPortSystemTest, MissingParallelPortGives10) {
    kernel.ioports = kIoPortsWithoutParallelPort;
    EXPECT_EQ(library.Initialize(kOwnProcess), 10);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(ENODEV));
    EXPECT_FALSE(kernel.granted);

    kernel.ioportsError = EACCES;
    EXPECT_EQ(library.Initialize(kOwnProcess), 10);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(EACCES));
}

// Without CAP_SYS_ADMIN, as a service runs, /proc/ioports hides every address; the parport driver's
// records say where each port is, and only a port at 0x378 counts (elsewhere 0x378 reads 0xFF, which
// would be a button held forever).
TEST_F(LinuxPortSystemTest, HiddenAddressesAreTakenFromTheParportRecords) {
    kernel.ioports = kIoPortsHidden;
    kernel.baseAddresses = {"632\t0\n"};
    EXPECT_EQ(library.Initialize(kOwnProcess), 10) << "a card at 0x278 is not the port at 0x378";
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(ENODEV));
    EXPECT_FALSE(kernel.granted);

    kernel.baseAddresses = {};
    kernel.baseAddressError = ENOENT;
    EXPECT_EQ(library.Initialize(kOwnProcess), 10);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_FALSE(kernel.granted);

    kernel.baseAddresses = {"632\t0\n", "888\t1912\n"};
    kernel.baseAddressError = 0;
    EXPECT_EQ(library.Initialize(kOwnProcess), 0);
    EXPECT_TRUE(kernel.granted);
    EXPECT_EQ(kernel.permissionCalls.back(), std::make_tuple(uint16_t{0x378}, uint16_t{3}, true));
}

TEST_F(LinuxPortSystemTest, RefusedPermissionGives11) {
    kernel.grantError = EPERM;
    EXPECT_EQ(library.Initialize(kOwnProcess), 11);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(EPERM));
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
}

TEST_F(LinuxPortSystemTest, AnotherProcessGetsNoPermission) {
    EXPECT_EQ(library.Initialize(kOwnProcess + 1), 11);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(EPERM));
    EXPECT_FALSE(kernel.granted);

    ASSERT_EQ(library.Initialize(kOwnProcess), 0);
    EXPECT_EQ(library.CloseSession(kOwnProcess + 1), 11);
    EXPECT_TRUE(kernel.granted) << "the refused close keeps the session";
    EXPECT_EQ(library.CloseSession(kOwnProcess), 0);
}

TEST_F(LinuxPortSystemTest, NothingToInstallOrUninstall) {
    ASSERT_EQ(library.Initialize(kOwnProcess), 0);
    kernel.permissionCalls.clear();

    EXPECT_EQ(library.Install(), 0);
    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_TRUE(kernel.permissionCalls.empty());
    EXPECT_TRUE(kernel.granted);
}

TEST_F(LinuxPortSystemTest, AutoWithoutPortAccessEndsWith10) {
    kernel.permissionError = ENOSYS;
    EXPECT_EQ(library.InitializeAuto(kOwnProcess), 10);
    EXPECT_EQ(library.TakeLastError(), static_cast<uint32_t>(ENOSYS));
}

TEST(FindParallelPortInIoPortsTest, FindsThePortByItsRangeAndSaysWhenAddressesAreHidden) {
    using platform::FindParallelPortInIoPorts;
    using platform::IoPortsAnswer;
    EXPECT_EQ(FindParallelPortInIoPorts(kIoPortsWithParallelPort, 0x378, 3), IoPortsAnswer::Listed);
    EXPECT_EQ(FindParallelPortInIoPorts(kIoPortsWithoutParallelPort, 0x378, 3), IoPortsAnswer::NotListed)
        << "the PCI bus range covers the registers but is no parallel port";
    EXPECT_EQ(FindParallelPortInIoPorts("  0278-027a : parport0\n", 0x378, 3), IoPortsAnswer::NotListed);
    EXPECT_EQ(FindParallelPortInIoPorts(kIoPortsHidden, 0x378, 3), IoPortsAnswer::AddressesHidden);
    EXPECT_EQ(FindParallelPortInIoPorts("", 0x378, 3), IoPortsAnswer::NotListed);
}

// This machine's own kernel: without a parallel port or port permissions the result is 10, never a
// session; with both, a session needs privileges that tests do not assume.
TEST(LinuxPortSystemRealKernelTest, WithoutParallelPortTheDeviceCannotBeOpened) {
    std::string ioports;
    if (platform::RealPortKernel().ReadIoPorts(ioports) == 0 &&
        platform::FindParallelPortInIoPorts(ioports, kQelIoPortBase, kQelIoPortCount) !=
            platform::IoPortsAnswer::NotListed) {
        GTEST_SKIP() << "this machine has a parallel port";
    }
    qelio::Library library{qelio::PlatformSystem()};
    EXPECT_EQ(library.Initialize(kOwnProcess), 10);
    uint32_t error = library.TakeLastError();
    EXPECT_TRUE(error == ENOSYS || error == ENODEV) << error;
}

} // namespace
