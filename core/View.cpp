#include "core/View.h"

namespace {

constexpr float kInitialViewWidth = static_cast<float>(kComposedWidth);
constexpr float kInitialViewHeight = static_cast<float>(kComposedHeight);

} // namespace

float viewWidth = kInitialViewWidth;
float viewHeight = kInitialViewHeight;
int32_t viewX = 0;
int32_t viewY = 0;
platform::WindowHandle mainWindowHandle = nullptr;
platform::InstanceHandle mainInstanceHandle = nullptr;

void SetViewSize(int32_t width, int32_t height) {
    viewWidth = static_cast<float>(width);
    viewHeight = static_cast<float>(height);
}

void SetViewOrigin(int32_t x, int32_t y) {
    viewX = x;
    viewY = y;
}

void SetMainWindow(platform::WindowHandle window, platform::InstanceHandle instance) {
    mainWindowHandle = window;
    mainInstanceHandle = instance;
}

void ResetViewForTests() {
    viewWidth = kInitialViewWidth;
    viewHeight = kInitialViewHeight;
    viewX = 0;
    viewY = 0;
    mainWindowHandle = nullptr;
    mainInstanceHandle = nullptr;
}
