#include "support/FakeInputBackend.h"

#include "input/DXInputDevice.h"

#include <algorithm>
#include <cstring>

namespace testing_support {
namespace {

InputResult TakeFront(std::deque<InputResult>& queue) {
    if (queue.empty()) {
        return InputResult::Ok;
    }
    const InputResult result = queue.front();
    queue.pop_front();
    return result;
}

template <typename T> std::vector<uint8_t> BytesOf(const T& value) {
    std::vector<uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

class FakeDevice final : public platform::InputDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeDeviceScript> script) : script(std::move(script)) {}

    InputResult SetCooperativeLevel(platform::WindowHandle window, uint32_t flags) override {
        script->cooperativeWindow = window;
        script->cooperativeFlags = flags;
        return script->cooperativeResult;
    }
    InputResult SetDataFormat(platform::InputDataFormat format) override {
        script->format = format;
        return script->formatResult;
    }
    InputResult Acquire() override {
        ++script->acquireCalls;
        return TakeFront(script->acquireResults);
    }
    InputResult Unacquire() override { return InputResult::Ok; }
    InputResult GetDeviceState(uint32_t size, void* data) override {
        ++script->readCalls;
        const InputResult result = TakeFront(script->readResults);
        if (platform::Succeeded(result) && !script->data.empty()) {
            std::memcpy(data, script->data.data(), std::min<size_t>(size, script->data.size()));
        }
        return result;
    }
    InputResult GetDeviceInfo(platform::InputDeviceInstance& info) override {
        info.productName = script->productName;
        return InputResult::Ok;
    }
    InputResult SetAxisRange(uint32_t axisOffset, int32_t minimum, int32_t maximum) override {
        script->ranges[axisOffset] = {minimum, maximum};
        return InputResult::Ok;
    }
    InputResult SetAxisDeadZone(uint32_t axisOffset, uint32_t deadZone) override {
        script->deadZones[axisOffset] = deadZone;
        return InputResult::Ok;
    }

private:
    std::shared_ptr<FakeDeviceScript> script;
};

} // namespace

class FakeInputSystem final : public platform::InputSystem {
public:
    explicit FakeInputSystem(FakeInputBackend& backend) : backend(backend) {}

    InputResult CreateDevice(const platform::InputGuid& guid,
                             std::unique_ptr<platform::InputDevice>& device) override {
        std::shared_ptr<FakeDeviceScript> script;
        if (guid == platform::kSysMouseGuid) {
            script = backend.mouse;
        } else if (guid == platform::kSysKeyboardGuid) {
            script = backend.keyboard;
        }
        for (auto& [joystickGuid, joystickScript] : backend.joysticks) {
            if (guid == joystickGuid) {
                script = joystickScript;
            }
        }
        if (!script) {
            return InputResult::DeviceNotRegistered;
        }
        if (platform::Failed(script->createResult)) {
            return script->createResult;
        }
        device = std::make_unique<FakeDevice>(script);
        return InputResult::Ok;
    }

    InputResult EnumDevices(platform::InputDeviceClass, bool,
                            const platform::DeviceEnumCallback& callback) override {
        if (platform::Failed(backend.enumResult)) {
            return backend.enumResult;
        }
        for (auto& [guid, script] : backend.joysticks) {
            ++backend.enumCallbacks;
            platform::InputDeviceInstance instance;
            instance.instanceGuid = guid;
            instance.productName = script->productName;
            if (callback(instance) == platform::EnumAction::Stop) {
                break;
            }
        }
        return InputResult::Ok;
    }

private:
    FakeInputBackend& backend;
};

void FakeDeviceScript::SetMouse(int32_t x, int32_t y, bool left, bool right) {
    platform::MouseData mouse;
    mouse.x = x;
    mouse.y = y;
    mouse.buttons[0] = left ? platform::kButtonDown : 0;
    mouse.buttons[1] = right ? platform::kButtonDown : 0;
    data = BytesOf(mouse);
}

void FakeDeviceScript::SetKeysDown(std::initializer_list<uint8_t> scanCodes) {
    data.assign(platform::kKeyboardDataSize, 0);
    for (uint8_t code : scanCodes) {
        data[code] = platform::kButtonDown;
    }
}

void FakeDeviceScript::SetJoystick(int32_t x, int32_t y, std::initializer_list<int> buttonsDown) {
    platform::JoystickData joystick;
    joystick.x = x;
    joystick.y = y;
    for (int button : buttonsDown) {
        joystick.buttons[button] = platform::kButtonDown;
    }
    data = BytesOf(joystick);
}

FakeInputBackend::FakeInputBackend(InputResult result) : createResult(result) {
    platform::InstallInputBackend(this);
}

FakeInputBackend::~FakeInputBackend() {
    platform::InstallInputBackend(nullptr);
}

FakeDeviceScript& FakeInputBackend::AddJoystick(const std::string& productName) {
    platform::InputGuid guid;
    guid.data1 = static_cast<uint32_t>(joysticks.size() + 1);
    auto script = std::make_shared<FakeDeviceScript>();
    script->productName = productName;
    joysticks.emplace_back(guid, script);
    return *script;
}

InputResult FakeInputBackend::Create(platform::InstanceHandle, uint32_t,
                                     std::unique_ptr<platform::InputSystem>& system) {
    ++createCalls;
    if (platform::Failed(createResult)) {
        return createResult;
    }
    system = std::make_unique<FakeInputSystem>(*this);
    return InputResult::Ok;
}

} // namespace testing_support
