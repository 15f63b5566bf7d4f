// A scripted device-input layer: each device answers with the results and data a test queued for it and
// records what was asked of it. Installs itself for its lifetime, with the input objects made through it
// cleared before and after.
#pragma once

#include "platform/InputLayer.h"

#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace testing_support {

using platform::InputResult;

struct FakeDeviceScript {
    InputResult createResult = InputResult::Ok;
    InputResult cooperativeResult = InputResult::Ok;
    InputResult formatResult = InputResult::Ok;
    // Consumed one per call; Ok once empty.
    std::deque<InputResult> acquireResults;
    std::deque<InputResult> readResults;
    // Copied into the caller's buffer by every successful read.
    std::vector<uint8_t> data;
    std::string productName = "Fake device";

    int acquireCalls = 0;
    int readCalls = 0;
    platform::WindowHandle cooperativeWindow = nullptr;
    uint32_t cooperativeFlags = 0;
    platform::InputDataFormat format = platform::InputDataFormat::None;
    std::map<uint32_t, std::pair<int32_t, int32_t>> ranges;
    std::map<uint32_t, uint32_t> deadZones;

    void SetMouse(int32_t x, int32_t y, bool left, bool right = false);
    void SetKeysDown(std::initializer_list<uint8_t> scanCodes);
    void SetJoystick(int32_t x, int32_t y, std::initializer_list<int> buttonsDown = {});
};

class FakeInputBackend final : public platform::InputBackend {
public:
    // DeviceNotRegistered as the result makes a machine without any input device, whose own mouse
    // cannot steer the camera. A shared input object made while it is installed refers to it, so it must
    // outlive that object.
    explicit FakeInputBackend(InputResult createResult = InputResult::Ok);
    ~FakeInputBackend() override;

    // The script of the system mouse, the keyboard, or a joystick added here (enumerated in order).
    FakeDeviceScript& Mouse() { return *mouse; }
    FakeDeviceScript& Keyboard() { return *keyboard; }
    FakeDeviceScript& AddJoystick(const std::string& productName);
    FakeDeviceScript& Joystick(size_t index) { return *joysticks.at(index).second; }

    InputResult createResult;
    InputResult enumResult = InputResult::Ok;
    int createCalls = 0;
    int enumCallbacks = 0;

    InputResult Create(platform::InstanceHandle instance, uint32_t version,
                       std::unique_ptr<platform::InputSystem>& system) override;

private:
    friend class FakeInputSystem;
    std::shared_ptr<FakeDeviceScript> mouse = std::make_shared<FakeDeviceScript>();
    std::shared_ptr<FakeDeviceScript> keyboard = std::make_shared<FakeDeviceScript>();
    std::vector<std::pair<platform::InputGuid, std::shared_ptr<FakeDeviceScript>>> joysticks;
};

} // namespace testing_support
