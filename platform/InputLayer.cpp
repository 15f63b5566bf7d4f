#include "platform/InputLayer.h"
#include "platform/SystemBackend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {
namespace {

struct ResultName {
    InputResult result;
    const char* name;
};

constexpr ResultName kResultNames[] = {
    {InputResult::Ok, "DI_OK"},
    {InputResult::NoEffect, "DI_NOEFFECT"},
    {InputResult::NotAcquired, "DIERR_NOTACQUIRED"},
    {InputResult::InputLost, "DIERR_INPUTLOST"},
    {InputResult::DeviceNotRegistered, "DIERR_DEVICENOTREG"},
    {InputResult::OtherAppHasPriority, "DIERR_OTHERAPPHASPRIO"},
    {InputResult::InvalidParam, "DIERR_INVALIDPARAM"},
    {InputResult::NotInitialized, "DIERR_NOTINITIALIZED"},
    {InputResult::Acquired, "DIERR_ACQUIRED"},
    {InputResult::ObjectNotFound, "DIERR_OBJECTNOTFOUND"},
    {InputResult::Unsupported, "DIERR_UNSUPPORTED"},
    {InputResult::Generic, "DIERR_GENERIC"},
    {InputResult::OutOfMemory, "DIERR_OUTOFMEMORY"},
    {InputResult::OldVersion, "DIERR_OLDDIRECTINPUTVERSION"},
    {InputResult::BetaVersion, "DIERR_BETADIRECTINPUTVERSION"},
};

InputBackend* installedBackend = nullptr;

} // namespace

const InputGuid kSysMouseGuid = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const InputGuid kSysKeyboardGuid = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const char* InputResultName(InputResult result) {
    for (const ResultName& entry : kResultNames) {
        if (entry.result == result) {
            return entry.name;
        }
    }
    return "Unknown";
}

bool operator==(const InputGuid& a, const InputGuid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

int32_t ScaleAxis(int16_t raw, int32_t minimum, int32_t maximum, uint32_t deadZone, uint32_t saturation) {
    constexpr double kRawHalfRange = 32767.0;
    const double position = std::clamp(raw / kRawHalfRange, -1.0, 1.0);
    const double magnitude = std::fabs(position) * kAxisFractionScale;
    double travel; // 0 at the centre, 1 at either end
    if (magnitude <= deadZone) {
        travel = 0.0;
    } else if (magnitude >= saturation || saturation <= deadZone) {
        travel = 1.0;
    } else {
        travel = (magnitude - deadZone) / (static_cast<double>(saturation) - deadZone);
    }
    const double centre = (static_cast<double>(minimum) + maximum) / 2.0;
    const double halfRange = (static_cast<double>(maximum) - minimum) / 2.0;
    const double value = centre + std::copysign(travel, position) * halfRange;
    return static_cast<int32_t>(std::lround(value));
}

void InstallInputBackend(InputBackend* backend) {
    installedBackend = backend;
}

InputBackend& CurrentInputBackend() {
    return installedBackend ? *installedBackend : internal::SystemInputBackend();
}

} // namespace platform
