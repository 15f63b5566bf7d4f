#include "platform/SystemBackend.h"
#include "platform/win32/DirectInput.h"

namespace platform::internal {

InputBackend& SystemInputBackend() {
    return DirectInputBackend();
}

} // namespace platform::internal
