#include "qelio/tests/QelIoFixture.h"

#include <string>
#include <vector>

using namespace testing_support;

using QelIoInstallTest = QelIoTest;

TEST_F(QelIoInstallTest, FreshMachineGetsTheDriverCopiedRegisteredAndStarted) {
    EXPECT_EQ(library.Install(), 0);

    EXPECT_TRUE(machine.files.count(kCopiedDriver));
    ASSERT_TRUE(machine.service.has_value());
    EXPECT_EQ(machine.service->displayName, "QEL I/O Application");
    EXPECT_EQ(machine.service->binaryPath, kCopiedDriver);
    EXPECT_TRUE(machine.service->running);
    EXPECT_EQ(library.driverPath, kCopiedDriver);
    EXPECT_EQ(library.TakeLastError(), 0u);
    const std::vector<std::string> expected{"ProgramModule",      "ModuleFileName",     "WindowsDirectory",
                                            "CopyFileOver",       "OpenServiceManager", "CreateDriverService",
                                            "CloseServiceObject", "StartDriverService", "CloseServiceObject"};
    EXPECT_EQ(machine.Accesses(), expected);
}

TEST_F(QelIoInstallTest, DriverComesFromTheProgramsOwnDirectory) {
    machine.programFileName = "D:\\Show\\Bin\\standview.exe";
    machine.files = {"D:\\Show\\Bin\\QelIo.sys"};
    EXPECT_EQ(library.Install(), 0);
    EXPECT_TRUE(machine.files.count(kCopiedDriver));
}

TEST_F(QelIoInstallTest, WindowsDirectoryEndingInABackslashGetsNoSecondOne) {
    machine.windowsDirectory = "C:\\";
    EXPECT_EQ(library.Install(), 0);
    EXPECT_EQ(library.driverPath, "C:\\System32\\Drivers\\QelIo.sys");

    qelio::Library laterProcess{machine};
    EXPECT_EQ(laterProcess.Uninstall(), 0);
    EXPECT_FALSE(machine.files.count("C:\\System32\\Drivers\\QelIo.sys"));
}

TEST_F(QelIoInstallTest, StoppedServiceIsOpenedAndStarted) {
    machine.InstallRunningDriver();
    machine.service->running = false;

    EXPECT_EQ(library.Install(), 0);
    EXPECT_TRUE(machine.service->running);
    EXPECT_TRUE(machine.Called("OpenDriverService"));
    EXPECT_EQ(library.TakeLastError(), 0u);
}

TEST_F(QelIoInstallTest, RunningServiceCannotBeStartedAgain) {
    EXPECT_EQ(library.Install(), 0);
    machine.calls.clear();

    EXPECT_EQ(library.Install(), 4);
    EXPECT_EQ(library.TakeLastError(), kErrorServiceAlreadyRunning);
    EXPECT_FALSE(machine.Called("CopyFileOver")) << "the remembered copy is used";
    EXPECT_TRUE(machine.service->running);
}

TEST_F(QelIoInstallTest, NameWithoutBackslashGives6WithNoError) {
    machine.programFileName = "standview.exe";
    EXPECT_EQ(library.Install(), 6);
    EXPECT_EQ(library.TakeLastError(), 0u);
    EXPECT_FALSE(machine.Called("CopyFileOver"));
}

struct InstallFailure {
    const char* call;
    int32_t result;
    bool copied; // a failed install leaves what it had already done
    bool created;
};

class QelIoInstallFailureTest : public QelIoTest, public ::testing::WithParamInterface<InstallFailure> {};

TEST_P(QelIoInstallFailureTest, EachStepsFailureGivesItsCodeAndError) {
    const InstallFailure& failure = GetParam();
    machine.failures[failure.call] = 1234;

    EXPECT_EQ(library.Install(), failure.result);
    EXPECT_EQ(library.TakeLastError(), 1234u);
    EXPECT_EQ(machine.files.count(kCopiedDriver) == 1, failure.copied);
    EXPECT_EQ(library.driverPath.empty(), !failure.copied);
    EXPECT_EQ(machine.service.has_value(), failure.created);
    EXPECT_FALSE(machine.service && machine.service->running);
}

INSTANTIATE_TEST_SUITE_P(Steps, QelIoInstallFailureTest,
                         ::testing::Values(InstallFailure{"ProgramModule", 5, false, false},
                                           InstallFailure{"ModuleFileName", 6, false, false},
                                           InstallFailure{"WindowsDirectory", 7, false, false},
                                           InstallFailure{"CopyFileOver", 8, false, false},
                                           InstallFailure{"OpenServiceManager", 3, true, false},
                                           InstallFailure{"CreateDriverService", 2, true, false},
                                           InstallFailure{"StartDriverService", 4, true, true}),
                         [](const auto& info) { return std::string(info.param.call); });

TEST_F(QelIoInstallTest, ExistingServiceThatCannotBeOpenedGives2WithTheOpenError) {
    machine.InstallRunningDriver();
    machine.service->running = false;
    machine.failures["OpenDriverService"] = kErrorAccessDenied;

    EXPECT_EQ(library.Install(), 2);
    EXPECT_EQ(library.TakeLastError(), kErrorAccessDenied);
}

TEST_F(QelIoInstallTest, MissingDriverFileGives8AndIsTriedAgainNextTime) {
    machine.files.clear();
    EXPECT_EQ(library.Install(), 8);
    EXPECT_EQ(library.TakeLastError(), kErrorFileNotFound);

    machine.files.insert("C:\\Booth\\QelIo.sys");
    EXPECT_EQ(library.Install(), 0);
    EXPECT_TRUE(machine.service->running);
}

TEST_F(QelIoInstallTest, UninstallStopsAndDeletesServiceAndFile) {
    ASSERT_EQ(library.Install(), 0);

    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_FALSE(machine.service.has_value());
    EXPECT_FALSE(machine.files.count(kCopiedDriver));
    EXPECT_TRUE(machine.files.count("C:\\Booth\\QelIo.sys"));
    EXPECT_EQ(library.TakeLastError(), 0u);
}

TEST_F(QelIoInstallTest, UninstallInANewProcessFindsTheFileUnderTheWindowsDirectory) {
    machine.InstallRunningDriver();
    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_FALSE(machine.service.has_value());
    EXPECT_FALSE(machine.files.count(kCopiedDriver));
}

TEST_F(QelIoInstallTest, UninstallClosesTheDeviceWithoutTellingTheDriver) {
    machine.InstallRunningDriver();
    ASSERT_EQ(library.Initialize(kProcessId), 0);
    machine.requests.clear();

    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_EQ(library.device, qelio::kInvalidDeviceHandle);
    EXPECT_EQ(machine.openDeviceHandles, 0);
    EXPECT_TRUE(machine.requests.empty());
}

class QelIoUninstallStopTest : public QelIoTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(QelIoUninstallStopTest, ServiceThatWillNotStopIsDeletedAnyway) {
    machine.InstallRunningDriver();
    machine.failures["StopDriverService"] = GetParam();

    EXPECT_EQ(library.Uninstall(), 0);
    EXPECT_FALSE(machine.service.has_value());
    EXPECT_FALSE(machine.files.count(kCopiedDriver));
    EXPECT_EQ(library.TakeLastError(), 0u);
}

INSTANTIATE_TEST_SUITE_P(NotActiveOrNoStopControl, QelIoUninstallStopTest,
                         ::testing::Values(kErrorServiceNotActive, kErrorInvalidServiceControl));

TEST_F(QelIoInstallTest, OtherStopFailureLeavesServiceAndFile) {
    const uint32_t kDependentServicesRunning = 1051;
    machine.InstallRunningDriver();
    machine.failures["StopDriverService"] = kDependentServicesRunning;

    EXPECT_EQ(library.Uninstall(), 4);
    EXPECT_EQ(library.TakeLastError(), kDependentServicesRunning);
    EXPECT_TRUE(machine.service.has_value());
    EXPECT_TRUE(machine.files.count(kCopiedDriver));
    EXPECT_FALSE(machine.Called("DeleteDriverService"));
}

struct UninstallFailure {
    const char* call;
    int32_t result;
    bool serviceLeft;
    bool fileLeft;
};

class QelIoUninstallFailureTest : public QelIoTest, public ::testing::WithParamInterface<UninstallFailure> {};

TEST_P(QelIoUninstallFailureTest, EachStepsFailureGivesItsCodeAndError) {
    const UninstallFailure& failure = GetParam();
    machine.InstallRunningDriver();
    machine.failures[failure.call] = 1234;

    EXPECT_EQ(library.Uninstall(), failure.result);
    EXPECT_EQ(library.TakeLastError(), 1234u);
    EXPECT_EQ(machine.service.has_value(), failure.serviceLeft);
    EXPECT_EQ(machine.files.count(kCopiedDriver) == 1, failure.fileLeft);
}

INSTANTIATE_TEST_SUITE_P(Steps, QelIoUninstallFailureTest,
                         ::testing::Values(UninstallFailure{"OpenServiceManager", 3, true, true},
                                           UninstallFailure{"OpenDriverService", 2, true, true},
                                           UninstallFailure{"DeleteDriverService", 4, true, true},
                                           UninstallFailure{"WindowsDirectory", 7, false, true},
                                           UninstallFailure{"RemoveFile", 9, false, true}),
                         [](const auto& info) { return std::string(info.param.call); });

TEST_F(QelIoInstallTest, UninstallWithoutServiceGives2) {
    EXPECT_EQ(library.Uninstall(), 2);
    EXPECT_EQ(library.TakeLastError(), kErrorServiceDoesNotExist);
}

TEST_F(QelIoInstallTest, InstallAfterUninstallCopiesTheDriverAgain) {
    ASSERT_EQ(library.Install(), 0);
    ASSERT_EQ(library.Uninstall(), 0);

    EXPECT_EQ(library.Install(), 0);
    EXPECT_TRUE(machine.files.count(kCopiedDriver));
    EXPECT_TRUE(machine.service->running);
}
