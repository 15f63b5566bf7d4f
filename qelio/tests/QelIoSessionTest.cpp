#include "qelio/tests/QelIoFixture.h"

#include <string>
#include <vector>

using namespace testing_support;

using QelIoSessionTest = QelIoTest;

TEST_F(QelIoSessionTest, InitializeWithoutDriverGives10AndKeepsNoHandle) {
    EXPECT_EQ(QelIoInitialize(kProcessId), 10);
    EXPECT_EQ(qelIoDevice, qelio::kInvalidDeviceHandle);
    EXPECT_TRUE(machine.requests.empty());
    EXPECT_EQ(QelIoGetLastError(), kErrorFileNotFound);
    EXPECT_EQ(QelIoGetLastError(), 0u) << "reading the error resets it";
}

TEST_F(QelIoSessionTest, InitializeOpensTheSessionOnceWithTheProcessId) {
    machine.InstallRunningDriver();

    EXPECT_EQ(QelIoInitialize(kProcessId), 0);
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
    EXPECT_EQ(machine.ControlCodes(), std::vector<uint32_t>{0xA0002800u});
    EXPECT_NE(qelIoDevice, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(QelIoGetLastError(), 0u);

    machine.calls.clear();
    EXPECT_EQ(QelIoInitialize(kProcessId + 1), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{}) << "an open session sends nothing";
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
}

TEST_F(QelIoSessionTest, RefusedSessionGives11AndClosesTheDevice) {
    machine.InstallRunningDriver();
    machine.failures["OpenSession"] = kErrorAccessDenied;

    EXPECT_EQ(QelIoInitialize(kProcessId), 11);
    EXPECT_EQ(qelIoDevice, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(machine.openDeviceHandles, 0);
    EXPECT_EQ(QelIoGetLastError(), kErrorAccessDenied);

    machine.failures.clear();
    EXPECT_EQ(QelIoInitialize(kProcessId), 0) << "nothing is left behind that blocks a new attempt";
}

TEST_F(QelIoSessionTest, CloseSessionTellsTheDriverAndClosesTheDevice) {
    machine.InstallRunningDriver();
    ASSERT_EQ(QelIoInitialize(kProcessId), 0);
    machine.requests.clear();

    EXPECT_EQ(QelIoCloseSession(kProcessId), 0);
    EXPECT_TRUE(machine.sessions.empty());
    EXPECT_EQ(machine.ControlCodes(), std::vector<uint32_t>{0xA0002804u});
    EXPECT_EQ(qelIoDevice, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(machine.openDeviceHandles, 0);

    machine.calls.clear();
    EXPECT_EQ(QelIoCloseSession(kProcessId), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{}) << "no session, nothing sent";
}

TEST_F(QelIoSessionTest, RefusedCloseGives11AndKeepsTheSessionOpen) {
    machine.InstallRunningDriver();
    ASSERT_EQ(QelIoInitialize(kProcessId), 0);

    EXPECT_EQ(QelIoCloseSession(kProcessId + 1), 11);
    EXPECT_EQ(QelIoGetLastError(), kErrorInvalidParameter);
    EXPECT_NE(qelIoDevice, qelio::kInvalidDeviceHandle);

    EXPECT_EQ(QelIoCloseSession(kProcessId), 0);
    EXPECT_TRUE(machine.sessions.empty());
}

TEST_F(QelIoSessionTest, AutoOnAMachineWithoutTheDriverInstallsItThenOpensTheSession) {
    EXPECT_EQ(QelIoInitializeAuto(kProcessId), 0);

    EXPECT_TRUE(machine.service->running);
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId});
    const std::vector<std::string> expected{"OpenDevice",          "ProgramModule",      "ModuleFileName",
                                            "WindowsDirectory",    "CopyFileOver",       "OpenServiceManager",
                                            "CreateDriverService", "CloseServiceObject", "StartDriverService",
                                            "CloseServiceObject",  "OpenDevice",         "OpenSession"};
    EXPECT_EQ(machine.Accesses(), expected);
    EXPECT_EQ(QelIoGetLastError(), 0u);
}

TEST_F(QelIoSessionTest, AutoWithRunningServiceOnlyOpensTheSession) {
    machine.InstallRunningDriver();
    EXPECT_EQ(QelIoInitializeAuto(kProcessId), 0);
    EXPECT_EQ(machine.Accesses(), (std::vector<std::string>{"OpenDevice", "OpenSession"}));
}

TEST_F(QelIoSessionTest, AutoReturnsTheInstallFailure) {
    machine.files.clear();
    EXPECT_EQ(QelIoInitializeAuto(kProcessId), 8);
    EXPECT_EQ(QelIoGetLastError(), kErrorFileNotFound);
    EXPECT_FALSE(machine.Called("OpenServiceManager"));
}

TEST_F(QelIoSessionTest, AutoReturnsTheSecondAttemptsResult) {
    machine.failures["OpenSession"] = kErrorAccessDenied;
    EXPECT_EQ(QelIoInitializeAuto(kProcessId), 11);
    EXPECT_EQ(QelIoGetLastError(), kErrorAccessDenied);
    EXPECT_TRUE(machine.service->running);
}

TEST_F(QelIoSessionTest, Windows9xFamilyDoesNothingAndSucceeds) {
    machine.windows9x = true;
    machine.files.clear();
    qelIoLastError = 77;

    EXPECT_EQ(QelIoInstall(), 0);
    EXPECT_EQ(QelIoInitialize(kProcessId), 0);
    EXPECT_EQ(QelIoInitializeAuto(kProcessId), 0);
    EXPECT_EQ(QelIoCloseSession(kProcessId), 0);
    EXPECT_EQ(QelIoUninstall(), 0);

    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{});
    EXPECT_EQ(QelIoGetLastError(), 77u);
}

TEST_F(QelIoSessionTest, WithoutDriverServicesInstallAndUninstallTouchNothing) {
    machine.hasDrivers = false;
    machine.InstallRunningDriver();
    ASSERT_EQ(QelIoInitialize(kProcessId), 0);
    machine.calls.clear();

    EXPECT_EQ(QelIoInstall(), 0);
    EXPECT_EQ(QelIoUninstall(), 0);
    EXPECT_EQ(machine.Accesses(), std::vector<std::string>{});
    EXPECT_NE(qelIoDevice, qelio::kInvalidDeviceHandle) << "the session stays open";
    EXPECT_EQ(QelIoCloseSession(kProcessId), 0);
}
