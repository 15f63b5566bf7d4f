// What each system's backend (platform/linux, platform/win32; one is built) supplies to the platform
// code shared by both. Not for use outside platform/.
#pragma once

#include "platform/AudioDevice.h"
#include "platform/Clock.h"
#include "platform/InputLayer.h"
#include "platform/MessageBox.h"
#include "platform/VideoDecoder.h"

#include <cstdint>
#include <memory>
#include <string>

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

// The shares every system's sound output counts: the output opens for its first holder and closes
// after its last, and each music stream holds a share while it lives, giving it back with Release.
class SharedAudioOutput : public AudioDevice {
public:
    bool Acquire() final;
    void Release() final;
    std::unique_ptr<MusicStream> OpenMusic(const std::string& path) final;

protected:
    bool Held() const { return holders > 0; }

private:
    virtual bool OpenOutput() = 0;
    virtual void CloseOutput() = 0;
    // The stream for a data file's path (to be found with ResolvePath), asked for only while the output
    // is open; null when the file cannot be read.
    virtual std::unique_ptr<MusicStream> LoadMusic(const std::string& path) = 0;

    int holders = 0;
};

} // namespace platform::internal
