#include "qelio/tests/QelIoFixture.h"

#include <string>
#include <vector>

using namespace testing_support;

using QelIoSessionTest = QelIoTest;

TEST_F(QelIoSessionTest, InitializeWithoutDriverGives10AndKeepsNoHandle) {
    EXPECT_EQ(library.Initialize(kProcessId), 10);
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
    EXPECT_TRUE(machine.requests.empty());
    EXPECT_EQ(library.TakeLastError(), kErrorFileNotFound);
    EXPECT_EQ(library.TakeLastError(), 0u) << "reading the error resets it";
}

TEST_F(QelIoSessionTest, InitializeOpensTheSessionOnceWithTheProcessId) {
    machine.InstallRunningDriver();

    EXPECT_EQ(library.Initialize(kProcessId), 0);
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
    EXPECT_EQ(machine.ControlCodes(), std::vector<uint32_t>{0xA0002800u});
    EXPECT_NE(library.device, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(library.TakeLastError(), 0u);

    machine.calls.clear();
    EXPECT_EQ(library.Initialize(kProcessId + 1), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{}) << "an open session sends nothing";
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
}

TEST_F(QelIoSessionTest, RefusedSessionGives11AndClosesTheDevice) {
    machine.InstallRunningDriver();
    machine.failures["OpenSession"] = kErrorAccessDenied;

    EXPECT_EQ(library.Initialize(kProcessId), 11);
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(machine.openDeviceHandles, 0);
    EXPECT_EQ(library.TakeLastError(), kErrorAccessDenied);

    machine.failures.clear();
    EXPECT_EQ(library.Initialize(kProcessId), 0) << "nothing is left behind that blocks a new attempt";
}

TEST_F(QelIoSessionTest, CloseSessionTellsTheDriverAndClosesTheDevice) {
    machine.InstallRunningDriver();
    ASSERT_EQ(library.Initialize(kProcessId), 0);
    machine.requests.clear();

    EXPECT_EQ(library.CloseSession(kProcessId), 0);
    EXPECT_TRUE(machine.sessions.empty());
    EXPECT_EQ(machine.ControlCodes(), std::vector<uint32_t>{0xA0002804u});
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(machine.openDeviceHandles, 0);

    machine.calls.clear();
    EXPECT_EQ(library.CloseSession(kProcessId), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{}) << "no session, nothing sent";
}

TEST_F(QelIoSessionTest, RefusedCloseGives11AndKeepsTheSessionOpen) {
    machine.InstallRunningDriver();
    ASSERT_EQ(library.Initialize(kProcessId), 0);

    EXPECT_EQ(library.CloseSession(kProcessId + 1), 11);
    EXPECT_EQ(library.TakeLastError(), kErrorInvalidParameter);
    EXPECT_NE(library.device, qelio::kInvalidDeviceHandle);

    EXPECT_EQ(library.CloseSession(kProcessId), 0);
    EXPECT_TRUE(machine.sessions.empty());
}

TEST_F(QelIoSessionTest, AutoOnAMachineWithoutTheDriverInstallsItThenOpensTheSession) {
    EXPECT_EQ(library.InitializeAuto(kProcessId), 0);

    EXPECT_TRUE(machine.service->running);
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
    const std::vector<std::string> expected{"OpenDevice",          "ProgramModule",      "ModuleFileName",
                                            "WindowsDirectory",    "CopyFileOver",       "OpenServiceManager",
                                            "CreateDriverService", "CloseServiceObject", "StartDriverService",
                                            "CloseServiceObject",  "OpenDevice",         "OpenSession"};
    EXPECT_EQ(machine.Accesses(), expected);
    EXPECT_EQ(library.TakeLastError(), 0u);
}

TEST_F(QelIoSessionTest, AutoWithRunningServiceOnlyOpensTheSession) {
    machine.InstallRunningDriver();
    EXPECT_EQ(library.InitializeAuto(kProcessId), 0);
    EXPECT_EQ(machine.Accesses(), (std::vector<std::string>{"OpenDevice", "OpenSession"}));
}

TEST_F(QelIoSessionTest, AutoReturnsTheInstallFailure) {
    machine.files.clear();
    EXPECT_EQ(library.InitializeAuto(kProcessId), 8);
    EXPECT_EQ(library.TakeLastError(), kErrorFileNotFound);
    EXPECT_FALSE(machine.Called("OpenServiceManager"));
}

TEST_F(QelIoSessionTest, AutoReturnsTheSecondAttemptsResult) {
    machine.failures["OpenSession"] = kErrorAccessDenied;
    EXPECT_EQ(library.InitializeAuto(kProcessId), 11);
    EXPECT_EQ(library.TakeLastError(), kErrorAccessDenied);
    EXPECT_TRUE(machine.service->running);
}

TEST_F(QelIoSessionTest, Windows9xFamilyDoesNothingAndSucceeds) {
    machine.windows9x = true;
    machine.files.clear();
    library.lastError = 77;

    EXPECT_EQ(library.Install(), 0);
    EXPECT_EQ(library.Initialize(kProcessId), 0);
    EXPECT_EQ(library.InitializeAuto(kProcessId), 0);
    EXPECT_EQ(library.CloseSession(kProcessId), 0);
    EXPECT_EQ(library.Uninstall(), 0);

    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{});
    EXPECT_EQ(library.TakeLastError(), 77u);
}

TEST_F(QelIoSessionTest, WithoutDriverServicesInstallAndUninstallTouchNothing) {
    machine.hasDrivers = false;
    machine.InstallRunningDriver();
    ASSERT_EQ(library.Initialize(kProcessId), 0);
    machine.calls.clear();

    EXPECT_EQ(library.Install(), 0);
    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{});
    EXPECT_NE(library.device, qelio::kInvalidDeviceHandle) << "the session stays open";
    EXPECT_EQ(library.CloseSession(kProcessId), 0);
}
