#include "FakePortDriver.h"

#include "platform/ParallelPort.h"
#include "portio/QelIoState.h"

#include <cstring>
#include <gtest/gtest.h>

namespace testing_support {

namespace {

constexpr qelio::DeviceHandle kDeviceHandle = 7;

} // namespace

FakePortDriver::FakePortDriver() {
    ResetQelIoStateForTests();
    platform::ResetPortSessionForTests();
    qelio::InstallSystem(this);
    platform::SetPortByteReader([this](uint16_t port) {
        EXPECT_EQ(port, platform::kParallelStatusPort) << "only the status register is read";
        ++statusReads;
        return status;
    });
}

FakePortDriver::~FakePortDriver() {
    platform::ResetPortSessionForTests();
    ResetQelIoStateForTests();
}

qelio::DeviceHandle FakePortDriver::OpenDevice(const char*) {
    return kDeviceHandle;
}

bool FakePortDriver::DeviceControl(qelio::DeviceHandle, uint32_t code, const void* input,
                                   uint32_t inputSize) {
    Request request{code, 0};
    if (inputSize == sizeof request.processId) {
        std::memcpy(&request.processId, input, sizeof request.processId);
    }
    if (onRequest) {
        onRequest(request);
    }
    requests.push_back(request);
    return true;
}

} // namespace testing_support
