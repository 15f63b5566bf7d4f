// The SDL backend of the device-input layer: the system mouse, the keyboard and SDL's joysticks.
#pragma once

#include "platform/InputLayer.h"

namespace platform {

InputBackend& SdlInputBackend();

} // namespace platform
