/* Tests of QelIo.dll on Windows (run under Wine) with the real service manager, files and the stand-in
 * driver. Each scenario is its own process, as the library remembers the driver's path per process. */
#include "qelio/QelIo.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#define OPEN_SESSION 0xA0002800u
#define CLOSE_SESSION 0xA0002804u

static int failures;

static void CheckEqual(int line, const char* what, long long actual, long long expected) {
    if (actual != expected) {
        printf("  line %d: %s is %lld, expected %lld\n", line, what, actual, expected);
        ++failures;
    }
}

#define CHECK_EQ(actual, expected) CheckEqual(__LINE__, #actual, (long long)(actual), (long long)(expected))
#define CHECK(condition) CheckEqual(__LINE__, #condition, (condition) ? 1 : 0, 1)

static const char* DriverCopy(void) {
    static char path[MAX_PATH + 32];
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    snprintf(path + length, sizeof path - length, "\\System32\\Drivers\\QelIo.sys");
    return path;
}

static int FileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

/* The service's current state (SERVICE_RUNNING, SERVICE_STOPPED ...), or 0 when there is none. */
static DWORD ServiceState(void) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, "QelIo", SERVICE_QUERY_STATUS) : NULL;
    SERVICE_STATUS status = {0};
    if (service && !QueryServiceStatus(service, &status))
        status.dwCurrentState = 0;
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return service ? status.dwCurrentState : 0;
}

static BOOL StopServiceDirectly(void) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, "QelIo", SERVICE_STOP) : NULL;
    SERVICE_STATUS status;
    BOOL stopped = service && ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return stopped;
}

/* Sends one request to the driver past the library: 0 when accepted, else the system error. */
static DWORD SendDirectly(DWORD code, const void* input, DWORD inputSize) {
    HANDLE device = CreateFileA("\\\\.\\QelIo", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD returned = 0;
    DWORD error =
        DeviceIoControl(device, code, (void*)input, inputSize, NULL, 0, &returned, NULL) ? 0 : GetLastError();
    CloseHandle(device);
    return error;
}

static DWORD SendSessionRequest(DWORD code, DWORD processId) {
    return SendDirectly(code, &processId, sizeof processId);
}

/* No QelIo.sys beside the program, nothing installed. */
static void MissingDriver(DWORD self) {
    CHECK_EQ(ServiceState(), 0);
    CHECK_EQ(QelIoInitialize(self), 10);
    CHECK_EQ(QelIoGetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK_EQ(QelIoCloseSession(self), 0);

    CHECK_EQ(QelIoInitializeAuto(self), 8);
    CHECK_EQ(QelIoGetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK(!FileExists(DriverCopy()));
    CHECK_EQ(ServiceState(), 0);

    CHECK_EQ(QelIoUninstall(), 2);
    CHECK_EQ(QelIoGetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
}

/* A program whose full name does not fit in MAX_PATH characters: its directory is unknown. */
static void LongPath(DWORD self) {
    (void)self;
    CHECK_EQ(QelIoInstall(), 6);
    CHECK_EQ(QelIoGetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CHECK(!FileExists(DriverCopy()));
    CHECK_EQ(ServiceState(), 0);
}

/* Nothing installed; QelIo.sys beside the program. */
static void AutoInstalls(DWORD self) {
    CHECK_EQ(ServiceState(), 0);
    CHECK_EQ(QelIoInitializeAuto(self), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK(FileExists(DriverCopy()));
    CHECK_EQ(ServiceState(), SERVICE_RUNNING);
    /* The driver refuses a second session for the same process: this one is open. */
    CHECK_EQ(SendSessionRequest(OPEN_SESSION, self), ERROR_INVALID_PARAMETER);

    CHECK_EQ(QelIoInstall(), 4);
    CHECK_EQ(QelIoGetLastError(), ERROR_SERVICE_ALREADY_RUNNING);
    CHECK_EQ(ServiceState(), SERVICE_RUNNING);

    CHECK_EQ(QelIoCloseSession(self), 0);
    CHECK_EQ(SendSessionRequest(CLOSE_SESSION, self), ERROR_INVALID_PARAMETER);
}

/* The driver runs. */
static void Sessions(DWORD self) {
    const DWORD other = self + 4;
    CHECK_EQ(QelIoInitialize(self), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    /* An open session sends nothing: the driver never hears of the other process. */
    CHECK_EQ(QelIoInitialize(other), 0);
    CHECK_EQ(SendSessionRequest(CLOSE_SESSION, other), ERROR_INVALID_PARAMETER);

    /* A refused close keeps the device open for the next attempt. */
    CHECK_EQ(QelIoCloseSession(other), 11);
    CHECK_EQ(QelIoGetLastError(), ERROR_INVALID_PARAMETER);
    CHECK_EQ(QelIoCloseSession(self), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK_EQ(SendSessionRequest(CLOSE_SESSION, self), ERROR_INVALID_PARAMETER);
    /* No session, nothing sent (the driver would refuse a second close). */
    CHECK_EQ(QelIoCloseSession(self), 0);

    CHECK_EQ(QelIoInitialize(0), 11);
    CHECK_EQ(QelIoGetLastError(), ERROR_INVALID_PARAMETER);
    CHECK_EQ(QelIoInitialize(self), 0);
    CHECK_EQ(QelIoCloseSession(self), 0);

    /* The stand-in takes the two codes with a 4-byte process identifier and nothing else. */
    const unsigned char shortInput[2] = {1, 0};
    CHECK_EQ(SendDirectly(OPEN_SESSION, shortInput, sizeof shortInput), ERROR_INVALID_PARAMETER);
    CHECK_EQ(SendSessionRequest(0xA0002808u, self), ERROR_INVALID_FUNCTION);
}

/* The driver runs; uninstalling with a session open. */
static void UninstallRunning(DWORD self) {
    CHECK_EQ(QelIoInitialize(self), 0);
    CHECK_EQ(QelIoUninstall(), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK_EQ(ServiceState(), 0);
    CHECK(!FileExists(DriverCopy()));
    CHECK_EQ(SendSessionRequest(OPEN_SESSION, self), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(QelIoCloseSession(self), 0);

    CHECK_EQ(QelIoUninstall(), 2);
    CHECK_EQ(QelIoGetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
}

/* Nothing installed; a service stopped behind the library's back. */
static void StoppedService(DWORD self) {
    CHECK_EQ(QelIoInstall(), 0);
    CHECK_EQ(ServiceState(), SERVICE_RUNNING);
    CHECK(StopServiceDirectly());
    CHECK_EQ(ServiceState(), SERVICE_STOPPED);

    /* Registered but stopped: opened and started again. */
    CHECK_EQ(QelIoInstall(), 0);
    CHECK_EQ(ServiceState(), SERVICE_RUNNING);
    CHECK_EQ(QelIoInitialize(self), 0);
    CHECK_EQ(QelIoCloseSession(self), 0);

    CHECK(StopServiceDirectly());
    CHECK_EQ(QelIoUninstall(), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK_EQ(ServiceState(), 0);
    CHECK(!FileExists(DriverCopy()));

    /* The same process installs again: the driver is copied anew, not taken as still there. */
    CHECK_EQ(QelIoInstall(), 0);
    CHECK(FileExists(DriverCopy()));
    CHECK_EQ(ServiceState(), SERVICE_RUNNING);
    CHECK_EQ(QelIoUninstall(), 0);
    CHECK_EQ(ServiceState(), 0);
}

/* Windows 95, 98 and ME: every export succeeds without touching anything. */
static void Windows9x(DWORD self) {
    CHECK_EQ(QelIoInstall(), 0);
    CHECK_EQ(QelIoInitializeAuto(self), 0);
    CHECK_EQ(QelIoInitialize(self), 0);
    CHECK_EQ(QelIoCloseSession(self), 0);
    CHECK_EQ(QelIoUninstall(), 0);
    CHECK_EQ(QelIoGetLastError(), 0);
    CHECK_EQ(ServiceState(), 0);
    CHECK(!FileExists(DriverCopy()));
}

int main(int argc, char** argv) {
    static const struct {
        const char* name;
        void (*run)(DWORD);
    } scenarios[] = {{"missing-driver", MissingDriver},
                     {"long-path", LongPath},
                     {"auto", AutoInstalls},
                     {"sessions", Sessions},
                     {"uninstall-running", UninstallRunning},
                     {"stopped-service", StoppedService},
                     {"windows9x", Windows9x}};
    for (size_t i = 0; argc == 2 && i < sizeof scenarios / sizeof scenarios[0]; ++i) {
        if (strcmp(argv[1], scenarios[i].name) == 0) {
            scenarios[i].run(GetCurrentProcessId());
            printf("%s: %s\n", argv[1], failures ? "FAILED" : "passed");
            return failures ? 1 : 0;
        }
    }
    printf("usage: QelIoWineTest "
           "missing-driver|long-path|auto|sessions|uninstall-running|stopped-service|windows9x\n");
    return 2;
}
