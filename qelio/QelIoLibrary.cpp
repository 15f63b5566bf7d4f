// The six C exports: each hands its call to the current library.
#include "qelio/QelIoLibrary.h"

#include "qelio/QelIo.h"

namespace {

// A test's library, in the process's own library's place while it is installed.
qelio::Library* installedLibrary = nullptr;

} // namespace

namespace qelio {

Library& CurrentLibrary() {
    if (installedLibrary) {
        return *installedLibrary;
    }
    // The C interface carries no handle, so the exports' state has to be one process-wide library.
    static Library processLibrary{PlatformSystem()};
    return processLibrary;
}

void InstallLibrary(Library* library) {
    installedLibrary = library;
}

} // namespace qelio

extern "C" int32_t QelIoInstall(void) {
    return qelio::CurrentLibrary().Install();
}

extern "C" int32_t QelIoUninstall(void) {
    return qelio::CurrentLibrary().Uninstall();
}

extern "C" int32_t QelIoInitialize(uint32_t processId) {
    return qelio::CurrentLibrary().Initialize(processId);
}

extern "C" int32_t QelIoInitializeAuto(uint32_t processId) {
    return qelio::CurrentLibrary().InitializeAuto(processId);
}

extern "C" int32_t QelIoCloseSession(uint32_t processId) {
    return qelio::CurrentLibrary().CloseSession(processId);
}

extern "C" uint32_t QelIoGetLastError(void) {
    return qelio::CurrentLibrary().TakeLastError();
}
