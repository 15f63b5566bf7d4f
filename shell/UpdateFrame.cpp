#include "shell/UpdateFrame.h"

#include "shell/DrawFrame.h"

void UpdateFrame(uint32_t elapsedMs) {
    frameMilliseconds = static_cast<float>(elapsedMs);
}
