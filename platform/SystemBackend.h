// What each system's backend (platform/linux, platform/win32; one is built) supplies to the platform
// code shared by both. Not for use outside platform/.
#pragma once

#include "platform/AudioDevice.h"
#include "platform/Clock.h"
#include "platform/InputLayer.h"
#include "platform/MessageBox.h"
#include "platform/VideoDecoder.h"

#include <cstdint>

namespace platform::internal {

Clock& SystemClock();
// The music output and the movie decoder used while no test has installed one.
AudioDevice& SystemAudioDevice();
VideoDecoder& SystemVideoDecoder();

// The device-input backend used while no test has installed one.
InputBackend& SystemInputBackend();

// The system's own modal box. False when it cannot be shown at all.
bool ShowSystemMessageBox(const char* text, const char* caption, MessageBoxStyle style,
                          MessageBoxAnswer* answer);

// The byte at a port register. Faults unless the port session has granted access to it.
uint8_t ReadHardwarePort(uint16_t port);

} // namespace platform::internal
