#include "platform/win32/DirectInput.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <cstring>

namespace platform {
namespace {

// The layer's result codes are DirectInput's own values, so a result passes through unchanged.
InputResult ResultOf(HRESULT result) {
    return static_cast<InputResult>(result);
}

static_assert(sizeof(MouseData) == sizeof(DIMOUSESTATE), "the mouse format is DirectInput's");
static_assert(sizeof(JoystickData) == sizeof(DIJOYSTATE), "the joystick format is DirectInput's");
static_assert(kCoopExclusive == DISCL_EXCLUSIVE && kCoopNonExclusive == DISCL_NONEXCLUSIVE &&
                  kCoopForeground == DISCL_FOREGROUND && kCoopBackground == DISCL_BACKGROUND,
              "the cooperative levels are DirectInput's");

GUID ToGuid(const InputGuid& guid) {
    GUID native{guid.data1, guid.data2, guid.data3, {}};
    std::memcpy(native.Data4, guid.data4, sizeof native.Data4);
    return native;
}

InputGuid FromGuid(const GUID& native) {
    InputGuid guid;
    guid.data1 = native.Data1;
    guid.data2 = native.Data2;
    guid.data3 = native.Data3;
    std::memcpy(guid.data4, native.Data4, sizeof guid.data4);
    return guid;
}

InputDeviceInstance FromInstance(const DIDEVICEINSTANCEA& native) {
    InputDeviceInstance instance;
    instance.instanceGuid = FromGuid(native.guidInstance);
    instance.productGuid = FromGuid(native.guidProduct);
    switch (GET_DIDEVICE_TYPE(native.dwDevType)) {
    case DI8DEVTYPE_MOUSE:
        instance.deviceClass = InputDeviceClass::Mouse;
        break;
    case DI8DEVTYPE_KEYBOARD:
        instance.deviceClass = InputDeviceClass::Keyboard;
        break;
    default:
        instance.deviceClass = InputDeviceClass::Joystick;
        break;
    }
    instance.instanceName = native.tszInstanceName;
    instance.productName = native.tszProductName;
    return instance;
}

class DirectInputDevice final : public InputDevice {
public:
    explicit DirectInputDevice(IDirectInputDevice8A* device) : device(device) {}
    ~DirectInputDevice() override {
        device->Unacquire();
        device->Release();
    }
    DirectInputDevice(const DirectInputDevice&) = delete;
    DirectInputDevice& operator=(const DirectInputDevice&) = delete;

    InputResult SetCooperativeLevel(WindowHandle window, uint32_t flags) override {
        return ResultOf(device->SetCooperativeLevel(window ? NativeWindowHandle(window) : nullptr, flags));
    }

    InputResult SetDataFormat(InputDataFormat format) override {
        const DIDATAFORMAT* native = nullptr;
        switch (format) {
        case InputDataFormat::Mouse:
            native = &c_dfDIMouse;
            break;
        case InputDataFormat::Keyboard:
            native = &c_dfDIKeyboard;
            break;
        case InputDataFormat::Joystick:
            native = &c_dfDIJoystick;
            break;
        case InputDataFormat::None:
            return InputResult::InvalidParam;
        }
        return ResultOf(device->SetDataFormat(native));
    }

    InputResult Acquire() override { return ResultOf(device->Acquire()); }
    InputResult Unacquire() override { return ResultOf(device->Unacquire()); }

    InputResult GetDeviceState(uint32_t size, void* data) override {
        if (data == nullptr) {
            return InputResult::InvalidParam;
        }
        return ResultOf(device->GetDeviceState(size, data));
    }

    InputResult GetDeviceInfo(InputDeviceInstance& info) override {
        DIDEVICEINSTANCEA native{};
        native.dwSize = sizeof native;
        const HRESULT result = device->GetDeviceInfo(&native);
        if (SUCCEEDED(result)) {
            info = FromInstance(native);
        }
        return ResultOf(result);
    }

    InputResult SetAxisRange(uint32_t axisOffset, int32_t minimum, int32_t maximum) override {
        DIPROPRANGE range{};
        range.diph.dwSize = sizeof range;
        range.diph.dwHeaderSize = sizeof range.diph;
        range.diph.dwObj = axisOffset;
        range.diph.dwHow = DIPH_BYOFFSET;
        range.lMin = minimum;
        range.lMax = maximum;
        return ResultOf(device->SetProperty(DIPROP_RANGE, &range.diph));
    }

    InputResult SetAxisDeadZone(uint32_t axisOffset, uint32_t deadZone) override {
        DIPROPDWORD zone{};
        zone.diph.dwSize = sizeof zone;
        zone.diph.dwHeaderSize = sizeof zone.diph;
        zone.diph.dwObj = axisOffset;
        zone.diph.dwHow = DIPH_BYOFFSET;
        zone.dwData = deadZone;
        return ResultOf(device->SetProperty(DIPROP_DEADZONE, &zone.diph));
    }

private:
    IDirectInputDevice8A* device;
};

class DirectInputSystem final : public InputSystem {
public:
    explicit DirectInputSystem(IDirectInput8A* input) : input(input) {}
    ~DirectInputSystem() override { input->Release(); }
    DirectInputSystem(const DirectInputSystem&) = delete;
    DirectInputSystem& operator=(const DirectInputSystem&) = delete;

    InputResult CreateDevice(const InputGuid& guid, std::unique_ptr<InputDevice>& device) override {
        IDirectInputDevice8A* native = nullptr;
        const HRESULT result = input->CreateDevice(ToGuid(guid), &native, nullptr);
        if (SUCCEEDED(result)) {
            device = std::make_unique<DirectInputDevice>(native);
        }
        return ResultOf(result);
    }

    InputResult EnumDevices(InputDeviceClass deviceClass, bool attachedOnly,
                            const DeviceEnumCallback& callback) override {
        const DWORD nativeClass = deviceClass == InputDeviceClass::Mouse      ? DI8DEVCLASS_POINTER
                                  : deviceClass == InputDeviceClass::Keyboard ? DI8DEVCLASS_KEYBOARD
                                                                              : DI8DEVCLASS_GAMECTRL;
        const DWORD flags = attachedOnly ? DIEDFL_ATTACHEDONLY : DIEDFL_ALLDEVICES;
        return ResultOf(
            input->EnumDevices(nativeClass, Visit, const_cast<DeviceEnumCallback*>(&callback), flags));
    }

private:
    static BOOL CALLBACK Visit(const DIDEVICEINSTANCEA* native, void* context) {
        const auto& callback = *static_cast<const DeviceEnumCallback*>(context);
        return callback(FromInstance(*native)) == EnumAction::Stop ? DIENUM_STOP : DIENUM_CONTINUE;
    }

    IDirectInput8A* input;
};

class DirectInputBackendImpl final : public InputBackend {
public:
    InputResult Create(InstanceHandle instance, uint32_t version,
                       std::unique_ptr<InputSystem>& system) override {
        if (version < kInputVersion) {
            return InputResult::OldVersion;
        }
        if (version > kInputVersion) {
            return InputResult::BetaVersion;
        }
        // The program was written against the interface of this version, which DirectInput 8 serves.
        HINSTANCE module =
            instance ? static_cast<HINSTANCE>(const_cast<void*>(instance)) : GetModuleHandleA(nullptr);
        void* native = nullptr;
        const HRESULT result =
            DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8A, &native, nullptr);
        if (SUCCEEDED(result)) {
            system = std::make_unique<DirectInputSystem>(static_cast<IDirectInput8A*>(native));
        }
        return ResultOf(result);
    }
};

} // namespace

InputBackend& DirectInputBackend() {
    static DirectInputBackendImpl backend;
    return backend;
}

} // namespace platform
