#include "core/View.h"

namespace {

constexpr float kInitialViewWidth = 800.0f;
constexpr float kInitialViewHeight = 600.0f;

} // namespace

float viewWidth = kInitialViewWidth;
float viewHeight = kInitialViewHeight;
platform::WindowHandle mainWindowHandle = nullptr;
platform::InstanceHandle mainInstanceHandle = nullptr;

void SetViewSize(int32_t width, int32_t height) {
    viewWidth = static_cast<float>(width);
    viewHeight = static_cast<float>(height);
}

void SetMainWindow(platform::WindowHandle window, platform::InstanceHandle instance) {
    mainWindowHandle = window;
    mainInstanceHandle = instance;
}

void ResetViewForTests() {
    viewWidth = kInitialViewWidth;
    viewHeight = kInitialViewHeight;
    mainWindowHandle = nullptr;
    mainInstanceHandle = nullptr;
}
