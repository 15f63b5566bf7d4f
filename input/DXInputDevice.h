// The common base of the mouse, keyboard and joystick devices and the one input object they share.
#pragma once

#include "input/InputState.h"
#include "platform/InputLayer.h"

#include <memory>
#include <optional>

// The one input object that every device of a show shares. It must outlive the devices.
struct SharedInput {
    // Null until the first device is constructed.
    std::unique_ptr<platform::InputSystem> directInput;
    // Set when creating the shared object failed; no further attempt is made after that.
    bool directInputFailed = false;
};

class DXInputDevice {
public:
    DXInputDevice(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window);
    virtual ~DXInputDevice() = default;
    DXInputDevice(const DXInputDevice&) = delete;
    DXInputDevice& operator=(const DXInputDevice&) = delete;

    // One snapshot, by value since every frame polls, or none when the device was lost and could not be
    // re-acquired.
    virtual std::optional<InputState> Poll() = 0;
    // One read without recovering a lost device; nothing in the program calls it.
    virtual std::optional<InputState> Peek() = 0;
    // The constructor's work: creates, configures and acquires the device, reporting each step.
    virtual void Setup() = 0;

    bool ready = false;
    std::unique_ptr<platform::InputDevice> device;
    platform::InputGuid deviceGuid;
    platform::InstanceHandle instance;
    platform::WindowHandle window;
    SharedInput& shared;

protected:
    // The lines a mouse or keyboard prints while setting itself up; each takes one result-code name,
    // except acquireFailed, which takes none.
    struct SetupMessages {
        const char* createFailed;
        const char* cooperationFailed;
        const char* formatFailed;
        const char* acquireFailed;
        const char* loaded;
    };
    // The set-up shared by the mouse and the keyboard, which differ only in format and wording.
    void SetupSystemDevice(platform::InputDataFormat format, const SetupMessages& messages);

    // The state read with the shared loss handling: on a lost device, acquires it again and rereads.
    // Returns false when re-acquisition failed, leaving acquireResult with the failing code.
    bool ReadRecovering(uint32_t size, void* data, platform::InputResult& acquireResult);
};

// The cooperative level every device asks for: shared with other programs, read without focus.
constexpr uint32_t kSharedBackgroundLevel = platform::kCoopNonExclusive | platform::kCoopBackground;
