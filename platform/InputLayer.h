// The device-input layer under the mouse, keyboard and joystick classes: one shared input object that
// enumerates and creates devices, each answering with DirectInput-style result codes. Backed by SDL.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Result codes keep DirectInput's numeric values, so success is "not negative" as there and the
// diagnostic lines can print the names operators know.
enum class InputResult : int32_t {
    Ok = 0,                                                  // DI_OK
    NoEffect = 1,                                            // DI_NOEFFECT
    NotAcquired = static_cast<int32_t>(0x8007000CU),         // DIERR_NOTACQUIRED
    InputLost = static_cast<int32_t>(0x8007001EU),           // DIERR_INPUTLOST
    DeviceNotRegistered = static_cast<int32_t>(0x80040154U), // DIERR_DEVICENOTREG
    OtherAppHasPriority = static_cast<int32_t>(0x80070005U), // DIERR_OTHERAPPHASPRIO
    InvalidParam = static_cast<int32_t>(0x80070057U),        // DIERR_INVALIDPARAM
    NotInitialized = static_cast<int32_t>(0x80070015U),      // DIERR_NOTINITIALIZED
    Acquired = static_cast<int32_t>(0x800700AAU),            // DIERR_ACQUIRED
    ObjectNotFound = static_cast<int32_t>(0x80070002U),      // DIERR_OBJECTNOTFOUND
    Unsupported = static_cast<int32_t>(0x80004001U),         // DIERR_UNSUPPORTED
    Generic = static_cast<int32_t>(0x80004005U),             // DIERR_GENERIC
    OutOfMemory = static_cast<int32_t>(0x8007000EU),         // DIERR_OUTOFMEMORY
    OldVersion = static_cast<int32_t>(0x8007047EU),          // DIERR_OLDDIRECTINPUTVERSION
    BetaVersion = static_cast<int32_t>(0x80070481U),         // DIERR_BETADIRECTINPUTVERSION
};

inline bool Succeeded(InputResult result) {
    return static_cast<int32_t>(result) >= 0;
}
inline bool Failed(InputResult result) {
    return !Succeeded(result);
}
// The symbolic name ("DI_OK", "DIERR_INPUTLOST", ...); "Unknown" for a value outside the table.
const char* InputResultName(InputResult result);

// The interface version the program was written against; older or newer requests are refused.
constexpr uint32_t kInputVersion = 0x0500;

struct InputGuid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
};
bool operator==(const InputGuid& a, const InputGuid& b);
inline bool operator!=(const InputGuid& a, const InputGuid& b) {
    return !(a == b);
}

// The system mouse and keyboard have fixed identities; joysticks are found by enumeration.
extern const InputGuid kSysMouseGuid;
extern const InputGuid kSysKeyboardGuid;

enum class InputDeviceClass { Mouse, Keyboard, Joystick };

struct InputDeviceInstance {
    InputGuid instanceGuid;
    InputGuid productGuid;
    InputDeviceClass deviceClass = InputDeviceClass::Joystick;
    std::string instanceName;
    std::string productName;
};

enum class EnumAction { Continue, Stop };
using DeviceEnumCallback = std::function<EnumAction(const InputDeviceInstance&)>;

// Cooperative-level flags, with their DirectInput values.
constexpr uint32_t kCoopExclusive = 0x1;
constexpr uint32_t kCoopNonExclusive = 0x2;
constexpr uint32_t kCoopForeground = 0x4;
constexpr uint32_t kCoopBackground = 0x8;

// The three standard data formats and the layouts GetDeviceState fills for them.
enum class InputDataFormat { None, Mouse, Keyboard, Joystick };

constexpr uint8_t kButtonDown = 0x80; // a button or key byte with this bit set is held

struct MouseData {
    int32_t x = 0; // relative counts since the previous read
    int32_t y = 0;
    int32_t z = 0;
    uint8_t buttons[4] = {};
};
static_assert(sizeof(MouseData) == 16, "the standard mouse format is 16 bytes");

constexpr uint32_t kKeyboardDataSize = 256; // one byte per scan code

struct JoystickData {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t rx = 0;
    int32_t ry = 0;
    int32_t rz = 0;
    int32_t sliders[2] = {};
    uint32_t pov[4] = {}; // hundredths of a degree clockwise from north; 0xFFFFFFFF when centred
    uint8_t buttons[32] = {};
};
static_assert(sizeof(JoystickData) == 80, "the standard joystick format is 80 bytes");

// Joystick axes are addressed by their byte offset in JoystickData, as DirectInput addresses them.
constexpr uint32_t kJoystickOffsetX = 0;
constexpr uint32_t kJoystickOffsetY = 4;

// Dead zones and saturations are given in 1/10,000 of the axis range.
constexpr uint32_t kAxisFractionScale = 10000;
// Until a range is set, absolute axes report 0 ... 65535, as DirectInput's do.
constexpr int32_t kDefaultAxisMinimum = 0;
constexpr int32_t kDefaultAxisMaximum = 65535;

// Maps a raw joystick position (-32768 ... 32767, centre 0) into minimum ... maximum: positions within
// the dead zone of the centre report the centre, positions beyond the saturation report an end, and the
// rest is spread evenly between them.
int32_t ScaleAxis(int16_t raw, int32_t minimum, int32_t maximum, uint32_t deadZone,
                  uint32_t saturation = kAxisFractionScale);

class InputDevice {
public:
    virtual ~InputDevice() = default;
    virtual InputResult SetCooperativeLevel(WindowHandle window, uint32_t flags) = 0;
    virtual InputResult SetDataFormat(InputDataFormat format) = 0;
    // NoEffect when the device was already acquired.
    virtual InputResult Acquire() = 0;
    virtual InputResult Unacquire() = 0;
    // size must be the size of the format set with SetDataFormat.
    virtual InputResult GetDeviceState(uint32_t size, void* data) = 0;
    virtual InputResult GetDeviceInfo(InputDeviceInstance& info) = 0;
    virtual InputResult SetAxisRange(uint32_t axisOffset, int32_t minimum, int32_t maximum) = 0;
    virtual InputResult SetAxisDeadZone(uint32_t axisOffset, uint32_t deadZone) = 0;
};

// The shared input object: enumerates devices and creates them by GUID.
class InputSystem {
public:
    virtual ~InputSystem() = default;
    virtual InputResult CreateDevice(const InputGuid& guid, std::unique_ptr<InputDevice>& device) = 0;
    virtual InputResult EnumDevices(InputDeviceClass deviceClass, bool attachedOnly,
                                    const DeviceEnumCallback& callback) = 0;
};

// Makes shared input objects; the SDL one unless a test installed another.
class InputBackend {
public:
    virtual ~InputBackend() = default;
    virtual InputResult Create(InstanceHandle instance, uint32_t version,
                               std::unique_ptr<InputSystem>& system) = 0;
};

// nullptr puts the SDL backend back.
void InstallInputBackend(InputBackend* backend);
InputBackend& CurrentInputBackend();

inline InputResult CreateInputSystem(InstanceHandle instance, uint32_t version,
                                     std::unique_ptr<InputSystem>& system) {
    return CurrentInputBackend().Create(instance, version, system);
}

// The keyboard map of the SDL backend: the DirectInput scan code of the key SDL calls keyName
// ("W", "Escape", "Up", ...), 0 for a key without one.
uint8_t ScanCodeForSdlKeyName(const char* keyName);

} // namespace platform
