// Reading the first parallel port's registers, only while QELIO has granted this process a port session.
#pragma once

#include "qelio/QelIo.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// The registers the port session covers: data, status and control.
constexpr uint16_t kParallelPortBase = kQelIoPortBase;
constexpr uint16_t kParallelPortRegisterCount = kQelIoPortCount;
constexpr uint16_t kParallelStatusPort = 0x379;

// Opens port access for this process through QELIO's QelIoInitializeAuto; remembers whether it returned 0.
int OpenPortSession(uint32_t processId);
// QelIoCloseSession; afterwards the port is never read again until a new OpenPortSession succeeds.
int ClosePortSession(uint32_t processId);
bool PortSessionOpen();
// The byte at the port, or std::nullopt when no session is open (never read without one) or the port
// lies outside the session's registers, which an unguarded read would fault on.
std::optional<uint8_t> ReadPortByte(uint16_t port);
// Tests replace the real port read (inb) with a fake; an empty function restores inb.
void SetPortByteReader(std::function<uint8_t(uint16_t)> reader);

} // namespace platform
