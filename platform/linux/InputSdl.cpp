#include "platform/SystemBackend.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace platform {
namespace {

struct KeyMapping {
    SDL_Scancode sdl;
    uint8_t scanCode;
};

// SDL names keys by USB usage; the program's key tests use the PC set-1 scan codes.
constexpr KeyMapping kKeyMappings[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},
    {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
    {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_AUDIOPREV, 0x90},
    {SDL_SCANCODE_AUDIONEXT, 0x99},
    {SDL_SCANCODE_KP_ENTER, 0x9C},
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_MUTE, 0xA0},
    {SDL_SCANCODE_CALCULATOR, 0xA1},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xB0},
    {SDL_SCANCODE_AC_HOME, 0xB2},
    {SDL_SCANCODE_KP_COMMA, 0xB3},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},
    {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_APPLICATION, 0xDD},
    {SDL_SCANCODE_POWER, 0xDE},
    {SDL_SCANCODE_SLEEP, 0xDF},
};

const std::array<uint8_t, SDL_NUM_SCANCODES>& ScanCodeTable() {
    static const std::array<uint8_t, SDL_NUM_SCANCODES> table = [] {
        std::array<uint8_t, SDL_NUM_SCANCODES> built{};
        for (const KeyMapping& mapping : kKeyMappings) {
            built[mapping.sdl] = mapping.scanCode;
        }
        return built;
    }();
    return table;
}

// Joystick instance GUIDs carry SDL's instance id in data1; the rest marks them as ours, so a GUID of
// another kind (or the zero GUID of a failed enumeration) is never mistaken for a joystick.
constexpr uint16_t kJoystickGuidData2 = 0x5D1A;
constexpr uint16_t kJoystickGuidData3 = 0x4A57;
constexpr uint8_t kJoystickGuidData4[8] = {'S', 'D', 'L', 'J', 'O', 'Y', 0, 0};

InputGuid JoystickInstanceGuid(SDL_JoystickID id) {
    InputGuid guid;
    guid.data1 = static_cast<uint32_t>(id);
    guid.data2 = kJoystickGuidData2;
    guid.data3 = kJoystickGuidData3;
    std::memcpy(guid.data4, kJoystickGuidData4, sizeof guid.data4);
    return guid;
}

bool IsJoystickInstanceGuid(const InputGuid& guid) {
    return guid.data2 == kJoystickGuidData2 && guid.data3 == kJoystickGuidData3 &&
           std::memcmp(guid.data4, kJoystickGuidData4, sizeof guid.data4) == 0;
}

InputGuid ProductGuid(SDL_JoystickGUID sdlGuid) {
    static_assert(sizeof(InputGuid) == sizeof sdlGuid.data, "both GUIDs are 16 bytes");
    InputGuid guid;
    std::memcpy(&guid, sdlGuid.data, sizeof guid);
    return guid;
}

InputDeviceInstance JoystickInstance(int index) {
    InputDeviceInstance instance;
    instance.instanceGuid = JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(index));
    instance.productGuid = ProductGuid(SDL_JoystickGetDeviceGUID(index));
    instance.deviceClass = InputDeviceClass::Joystick;
    const char* name = SDL_JoystickNameForIndex(index);
    instance.productName = name ? name : "Joystick";
    instance.instanceName = instance.productName;
    return instance;
}

InputDeviceInstance SystemInstance(InputDeviceClass deviceClass) {
    InputDeviceInstance instance;
    const bool mouse = deviceClass == InputDeviceClass::Mouse;
    instance.instanceGuid = mouse ? kSysMouseGuid : kSysKeyboardGuid;
    instance.productGuid = instance.instanceGuid;
    instance.deviceClass = deviceClass;
    instance.productName = mouse ? "Mouse" : "Keyboard";
    instance.instanceName = instance.productName;
    return instance;
}

uint32_t FormatSize(InputDataFormat format) {
    switch (format) {
    case InputDataFormat::Mouse:
        return sizeof(MouseData);
    case InputDataFormat::Keyboard:
        return kKeyboardDataSize;
    case InputDataFormat::Joystick:
        return sizeof(JoystickData);
    case InputDataFormat::None:
        break;
    }
    return 0;
}

// What the three SDL devices share: the acquisition and format rules of the layer.
class SdlDevice : public InputDevice {
public:
    SdlDevice(InputDataFormat nativeFormat, InputDeviceInstance info)
        : nativeFormat(nativeFormat), info(std::move(info)) {}

    InputResult SetCooperativeLevel(WindowHandle, uint32_t flags) override {
        if (acquired) {
            return InputResult::Acquired;
        }
        const bool oneSharing = ((flags & kCoopExclusive) != 0) != ((flags & kCoopNonExclusive) != 0);
        const bool oneFocus = ((flags & kCoopForeground) != 0) != ((flags & kCoopBackground) != 0);
        if (!oneSharing || !oneFocus) {
            return InputResult::InvalidParam;
        }
        // SDL reads the devices for the whole session; it can neither take them from other
        // programs nor tie them to one window's focus.
        if ((flags & (kCoopExclusive | kCoopForeground)) != 0) {
            return InputResult::Unsupported;
        }
        return InputResult::Ok;
    }

    InputResult SetDataFormat(InputDataFormat requested) override {
        if (acquired) {
            return InputResult::Acquired;
        }
        if (requested != nativeFormat) {
            return InputResult::InvalidParam;
        }
        format = requested;
        return InputResult::Ok;
    }

    InputResult Acquire() override {
        if (format == InputDataFormat::None) {
            return InputResult::InvalidParam;
        }
        if (acquired) {
            return InputResult::NoEffect;
        }
        const InputResult result = Attach();
        acquired = Succeeded(result);
        return result;
    }

    InputResult Unacquire() override {
        if (!acquired) {
            return InputResult::NoEffect;
        }
        acquired = false;
        return InputResult::Ok;
    }

    InputResult GetDeviceState(uint32_t size, void* data) override {
        if (data == nullptr) {
            return InputResult::InvalidParam;
        }
        if (!acquired) {
            return InputResult::NotAcquired;
        }
        if (size != FormatSize(format)) {
            return InputResult::InvalidParam;
        }
        const InputResult result = Read(data);
        if (result == InputResult::InputLost) {
            acquired = false;
        }
        return result;
    }

    InputResult GetDeviceInfo(InputDeviceInstance& out) override {
        out = info;
        return InputResult::Ok;
    }

    InputResult SetAxisRange(uint32_t, int32_t, int32_t) override { return InputResult::Unsupported; }
    InputResult SetAxisDeadZone(uint32_t, uint32_t) override { return InputResult::Unsupported; }

protected:
    virtual InputResult Attach() { return InputResult::Ok; }
    virtual InputResult Read(void* data) = 0;

private:
    InputDataFormat nativeFormat;
    InputDeviceInstance info;
    InputDataFormat format = InputDataFormat::None;
    bool acquired = false;
};

class SdlMouse final : public SdlDevice {
public:
    SdlMouse() : SdlDevice(InputDataFormat::Mouse, SystemInstance(InputDeviceClass::Mouse)) {
        SDL_AddEventWatch(CollectMotion, this);
    }

    ~SdlMouse() override {
        SDL_DelEventWatch(CollectMotion, this);
        Steer(false);
    }

protected:
    // Motion counts from the moment of acquisition.
    InputResult Attach() override {
        motionX = 0;
        motionY = 0;
        return InputResult::Ok;
    }

    InputResult Read(void* data) override {
        // The buttons of the desktop's pointer, which a background device must see without the focus.
        const uint32_t held = SDL_GetGlobalMouseState(nullptr, nullptr);
        Steer((held & SDL_BUTTON_LMASK) != 0);
        MouseData state;
        state.x = TakeMotion(motionX);
        state.y = TakeMotion(motionY);
        const uint32_t masks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK};
        for (int i = 0; i < 4; ++i) {
            state.buttons[i] = (held & masks[i]) != 0 ? kButtonDown : 0;
        }
        std::memcpy(data, &state, sizeof state);
        return InputResult::Ok;
    }

private:
    // Motion is the sum of SDL's relative moves, not the change of the pointer's position, which stops at
    // the screen's edge.
    static int SDLCALL CollectMotion(void* self, SDL_Event* event) {
        if (event->type == SDL_MOUSEMOTION) {
            auto* mouse = static_cast<SdlMouse*>(self);
            mouse->motionX += event->motion.xrel;
            mouse->motionY += event->motion.yrel;
        }
        return 1;
    }

    static int32_t TakeMotion(int64_t& motion) {
        const auto taken = static_cast<int32_t>(std::clamp<int64_t>(
            motion, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        motion = 0;
        return taken;
    }

    // While the left button drags, SDL's relative mode hides the pointer, keeps it in the window and
    // reports the device's own moves, so a drag goes on past the screen's edge for as long as the hand does.
    void Steer(bool drag) {
        if (drag == steering) {
            return;
        }
        const bool switched = SDL_SetRelativeMouseMode(drag ? SDL_TRUE : SDL_FALSE) == 0;
        steering = drag && switched;
    }

    int64_t motionX = 0;
    int64_t motionY = 0;
    bool steering = false;
};

class SdlKeyboard final : public SdlDevice {
public:
    SdlKeyboard() : SdlDevice(InputDataFormat::Keyboard, SystemInstance(InputDeviceClass::Keyboard)) {}

protected:
    InputResult Read(void* data) override {
        uint8_t keys[kKeyboardDataSize] = {};
        int count = 0;
        const Uint8* held = SDL_GetKeyboardState(&count);
        const auto& table = ScanCodeTable();
        for (int sdl = 0; sdl < count && sdl < SDL_NUM_SCANCODES; ++sdl) {
            if (held[sdl] != 0 && table[sdl] != 0) {
                keys[table[sdl]] = kButtonDown;
            }
        }
        std::memcpy(data, keys, sizeof keys);
        return InputResult::Ok;
    }
};

struct AxisSettings {
    int32_t minimum = kDefaultAxisMinimum;
    int32_t maximum = kDefaultAxisMaximum;
    uint32_t deadZone = 0;
};

constexpr int kJoystickAxes = 8; // x, y, z, rx, ry, rz and two sliders, in JoystickData order
constexpr uint32_t kPovCentred = 0xFFFFFFFF;

uint32_t PovFromHat(Uint8 hat) {
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kPovCentred;
    }
}

class SdlJoystick final : public SdlDevice {
public:
    SdlJoystick(SDL_Joystick* joystick, InputDeviceInstance info)
        : SdlDevice(InputDataFormat::Joystick, std::move(info)), joystick(joystick) {}

    ~SdlJoystick() override {
        SDL_JoystickClose(joystick);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    InputResult SetAxisRange(uint32_t axisOffset, int32_t minimum, int32_t maximum) override {
        AxisSettings* axis = AxisAt(axisOffset);
        if (axis == nullptr) {
            return InputResult::ObjectNotFound;
        }
        if (minimum >= maximum) {
            return InputResult::InvalidParam;
        }
        axis->minimum = minimum;
        axis->maximum = maximum;
        return InputResult::Ok;
    }

    InputResult SetAxisDeadZone(uint32_t axisOffset, uint32_t deadZone) override {
        AxisSettings* axis = AxisAt(axisOffset);
        if (axis == nullptr) {
            return InputResult::ObjectNotFound;
        }
        if (deadZone > kAxisFractionScale) {
            return InputResult::InvalidParam;
        }
        axis->deadZone = deadZone;
        return InputResult::Ok;
    }

protected:
    InputResult Attach() override {
        return SDL_JoystickGetAttached(joystick) ? InputResult::Ok : InputResult::DeviceNotRegistered;
    }

    InputResult Read(void* data) override {
        SDL_JoystickUpdate();
        if (!SDL_JoystickGetAttached(joystick)) {
            return InputResult::InputLost;
        }
        JoystickData state;
        int32_t* const axisFields[kJoystickAxes] = {&state.x,          &state.y,         &state.z,
                                                    &state.rx,         &state.ry,        &state.rz,
                                                    &state.sliders[0], &state.sliders[1]};
        const int axisCount = SDL_JoystickNumAxes(joystick);
        for (int i = 0; i < kJoystickAxes; ++i) {
            const int16_t raw = i < axisCount ? SDL_JoystickGetAxis(joystick, i) : 0;
            *axisFields[i] = ScaleAxis(raw, axes[i].minimum, axes[i].maximum, axes[i].deadZone);
        }
        const int hatCount = SDL_JoystickNumHats(joystick);
        for (int i = 0; i < 4; ++i) {
            state.pov[i] = i < hatCount ? PovFromHat(SDL_JoystickGetHat(joystick, i)) : kPovCentred;
        }
        const int buttonCount = SDL_JoystickNumButtons(joystick);
        for (int i = 0; i < 32 && i < buttonCount; ++i) {
            state.buttons[i] = SDL_JoystickGetButton(joystick, i) != 0 ? kButtonDown : 0;
        }
        std::memcpy(data, &state, sizeof state);
        return InputResult::Ok;
    }

private:
    AxisSettings* AxisAt(uint32_t offset) {
        if (offset % sizeof(int32_t) != 0 || offset / sizeof(int32_t) >= kJoystickAxes) {
            return nullptr;
        }
        return &axes[offset / sizeof(int32_t)];
    }

    SDL_Joystick* joystick;
    AxisSettings axes[kJoystickAxes];
};

class SdlInputSystem final : public InputSystem {
public:
    // Joysticks are optional: without SDL's joystick support the system simply has none.
    SdlInputSystem() : joysticksAvailable(SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {}

    ~SdlInputSystem() override {
        if (joysticksAvailable) {
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        }
    }

    InputResult CreateDevice(const InputGuid& guid, std::unique_ptr<InputDevice>& device) override {
        if (guid == kSysMouseGuid) {
            device = std::make_unique<SdlMouse>();
            return InputResult::Ok;
        }
        if (guid == kSysKeyboardGuid) {
            device = std::make_unique<SdlKeyboard>();
            return InputResult::Ok;
        }
        if (!joysticksAvailable || !IsJoystickInstanceGuid(guid)) {
            return InputResult::DeviceNotRegistered;
        }
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(index)) != guid) {
                continue;
            }
            // Each open joystick holds the subsystem, so it outlives the system object safely.
            if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
                return InputResult::Generic;
            }
            SDL_Joystick* joystick = SDL_JoystickOpen(index);
            if (joystick == nullptr) {
                SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
                return InputResult::Generic;
            }
            device = std::make_unique<SdlJoystick>(joystick, JoystickInstance(index));
            return InputResult::Ok;
        }
        return InputResult::DeviceNotRegistered;
    }

    InputResult EnumDevices(InputDeviceClass deviceClass, bool, const DeviceEnumCallback& callback) override {
        // Every device SDL knows of is attached, so the attached-only filter changes nothing.
        if (deviceClass != InputDeviceClass::Joystick) {
            callback(SystemInstance(deviceClass));
            return InputResult::Ok;
        }
        if (!joysticksAvailable) {
            return InputResult::Ok;
        }
        const int count = SDL_NumJoysticks();
        for (int index = 0; index < count; ++index) {
            if (callback(JoystickInstance(index)) == EnumAction::Stop) {
                break;
            }
        }
        return InputResult::Ok;
    }

private:
    bool joysticksAvailable;
};

class SdlBackend final : public InputBackend {
public:
    InputResult Create(InstanceHandle, uint32_t version, std::unique_ptr<InputSystem>& system) override {
        if (version < kInputVersion) {
            return InputResult::OldVersion;
        }
        if (version > kInputVersion) {
            return InputResult::BetaVersion;
        }
        system = std::make_unique<SdlInputSystem>();
        return InputResult::Ok;
    }
};

} // namespace

InputBackend& internal::SystemInputBackend() {
    static SdlBackend backend;
    return backend;
}

uint8_t ScanCodeForSdlKeyName(const char* keyName) {
    const SDL_Scancode sdl = SDL_GetScancodeFromName(keyName);
    return sdl == SDL_SCANCODE_UNKNOWN ? 0 : ScanCodeTable()[sdl];
}

} // namespace platform
