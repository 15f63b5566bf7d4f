/* QELIO's public interface: installs the port-I/O driver and opens or closes a port-I/O session for a
 * process. Plain C with fixed-size types, so programs in any language can bind the six exports by name. */
#ifndef QELIO_QELIO_H
#define QELIO_QELIO_H

#include <stdint.h>

#if defined(_WIN32)
/* The DLL exports through its module-definition file, which keeps the names undecorated. */
#define QELIO_API
#else
#define QELIO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of every export but QelIoGetLastError. */
enum QelIoResult {
    kQelIoOk = 0,                   /* success, or nothing to do */
    kQelIoServiceUnavailable = 2,   /* the service cannot be created or opened */
    kQelIoManagerUnavailable = 3,   /* the service control manager cannot be opened */
    kQelIoServiceControlFailed = 4, /* the service cannot be started, or stopped and deleted */
    kQelIoNoProgramModule = 5,      /* the module handle of the program cannot be obtained */
    kQelIoNoProgramFileName = 6,    /* the program's file name cannot be obtained or has no backslash */
    kQelIoNoWindowsDirectory = 7,   /* the Windows directory cannot be obtained */
    kQelIoCopyFailed = 8,           /* copying the driver file failed */
    kQelIoDeleteFailed = 9,         /* deleting the driver file failed */
    kQelIoDeviceUnavailable = 10,   /* the device cannot be opened */
    kQelIoSessionRefused = 11       /* the device refused a session request */
};

/* The I/O registers a session opens to its process: the first parallel port's data, status and control. */
enum QelIoPorts { kQelIoPortBase = 0x378, kQelIoPortCount = 3 };

/* Copies the driver next to the program into the system's driver directory, registers it as a
 * kernel-driver service started with the system, and starts it. */
QELIO_API int32_t QelIoInstall(void);

/* Closes the device without telling the driver, stops and deletes the service, deletes the driver file. */
QELIO_API int32_t QelIoUninstall(void);

/* Opens the device and asks the driver for a port-I/O session for processId; 0 at once if one is open. */
QELIO_API int32_t QelIoInitialize(uint32_t processId);

/* QelIoInitialize; when that fails, QelIoInstall and QelIoInitialize once more. */
QELIO_API int32_t QelIoInitializeAuto(uint32_t processId);

/* Asks the driver to close the session of processId and closes the device; 0 at once if none is open. */
QELIO_API int32_t QelIoCloseSession(uint32_t processId);

/* The system error of the last failing step (0 after a success); reading it resets it to 0. */
QELIO_API uint32_t QelIoGetLastError(void);

#ifdef __cplusplus
}
#endif

#endif
