/* Stand-in port-I/O driver for the Windows tests of QELIO: it grants no real port access, it only
 * keeps the set of processes that hold an open session, so that the library's requests can be seen. */
#include <ddk/wdm.h>

#define QELIO_DEVICE_TYPE 0xA000u
#define IOCTL_QELIO_OPEN_SESSION CTL_CODE(QELIO_DEVICE_TYPE, 0xA00, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_QELIO_CLOSE_SESSION CTL_CODE(QELIO_DEVICE_TYPE, 0xA01, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define MAX_SESSIONS 64

typedef struct {
    KSPIN_LOCK lock;
    ULONG sessions[MAX_SESSIONS]; /* process identifiers; 0 marks a free slot */
} SESSION_TABLE;

static const WCHAR deviceName[] = L"\\Device\\QelIo";
static const WCHAR linkName[] = L"\\DosDevices\\QelIo";

static int FindSession(SESSION_TABLE* table, ULONG processId) {
    for (int i = 0; i < MAX_SESSIONS; ++i) {
        if (table->sessions[i] == processId)
            return i;
    }
    return -1;
}

/* Process identifier 0 names no process and is refused; a process may hold one session only. */
static NTSTATUS OpenSession(SESSION_TABLE* table, ULONG processId) {
    if (processId == 0 || FindSession(table, processId) >= 0)
        return STATUS_INVALID_PARAMETER;
    int slot = FindSession(table, 0);
    if (slot < 0)
        return STATUS_INSUFFICIENT_RESOURCES;
    table->sessions[slot] = processId;
    return STATUS_SUCCESS;
}

static NTSTATUS CloseSession(SESSION_TABLE* table, ULONG processId) {
    int slot = processId == 0 ? -1 : FindSession(table, processId);
    if (slot < 0)
        return STATUS_INVALID_PARAMETER;
    table->sessions[slot] = 0;
    return STATUS_SUCCESS;
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return Complete(irp, STATUS_SUCCESS);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    SESSION_TABLE* table = (SESSION_TABLE*)device->DeviceExtension;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    if (code != IOCTL_QELIO_OPEN_SESSION && code != IOCTL_QELIO_CLOSE_SESSION)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    if (stack->Parameters.DeviceIoControl.InputBufferLength != sizeof(ULONG) ||
        stack->Parameters.DeviceIoControl.OutputBufferLength != 0)
        return Complete(irp, STATUS_INVALID_PARAMETER);

    ULONG processId = *(const ULONG*)irp->AssociatedIrp.SystemBuffer;
    KIRQL irql;
    KeAcquireSpinLock(&table->lock, &irql);
    NTSTATUS status =
        code == IOCTL_QELIO_OPEN_SESSION ? OpenSession(table, processId) : CloseSession(table, processId);
    KeReleaseSpinLock(&table->lock, irql);
    return Complete(irp, status);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, linkName);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    (void)registryPath;
    UNICODE_STRING name;
    UNICODE_STRING link;
    RtlInitUnicodeString(&name, deviceName);
    RtlInitUnicodeString(&link, linkName);

    PDEVICE_OBJECT device = NULL;
    NTSTATUS status =
        IoCreateDevice(driver, sizeof(SESSION_TABLE), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    SESSION_TABLE* table = (SESSION_TABLE*)device->DeviceExtension;
    RtlZeroMemory(table, sizeof(*table));
    KeInitializeSpinLock(&table->lock);

    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
