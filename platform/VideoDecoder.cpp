#include "platform/VideoDecoder.h"

#include "platform/SystemBackend.h"

namespace platform {
namespace {

VideoDecoder* installedDecoder = nullptr;

} // namespace

void InstallVideoDecoder(VideoDecoder* decoder) {
    installedDecoder = decoder;
}

VideoDecoder& CurrentVideoDecoder() {
    return installedDecoder ? *installedDecoder : internal::SystemVideoDecoder();
}

} // namespace platform
