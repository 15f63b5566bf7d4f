#include "platform/linux/WindowRecords.h"

#include "platform/WindowClassReports.h"

#include <algorithm>

namespace platform {
namespace {

std::vector<internal::ClassRecord> classes;
std::vector<std::unique_ptr<WindowObject>> windows;

} // namespace

namespace internal {

const ClassRecord* FindClass(const char* name) {
    for (const ClassRecord& record : classes) {
        if (name && record.name == name) {
            return &record;
        }
    }
    return nullptr;
}

bool ClassCanBeRegistered(const WindowClass& windowClass) {
    if (!ClassIsComplete(windowClass)) {
        return false;
    }
    if (FindClass(windowClass.className)) {
        ReportClassTaken(windowClass.className);
        return false;
    }
    return true;
}

void AddClass(const WindowClass& windowClass) {
    classes.push_back({windowClass.className, windowClass.procedure, windowClass.instance});
}

bool RemoveClass(const char* className, InstanceHandle instance) {
    const auto found = std::find_if(classes.begin(), classes.end(), [&](const ClassRecord& record) {
        return className && record.name == className && record.instance == instance;
    });
    if (found == classes.end()) {
        return false;
    }
    for (const auto& window : windows) {
        if (window->className == found->name) {
            return false;
        }
    }
    classes.erase(found);
    return true;
}

WindowObject* AddWindow(const ClassRecord& windowClass) {
    auto record = std::make_unique<WindowObject>();
    record->procedure = windowClass.procedure;
    record->className = windowClass.name;
    windows.push_back(std::move(record));
    return windows.back().get();
}

std::unique_ptr<WindowObject> TakeWindow(WindowHandle window) {
    const auto found =
        std::find_if(windows.begin(), windows.end(),
                     [&](const std::unique_ptr<WindowObject>& record) { return record.get() == window; });
    if (found == windows.end()) {
        return nullptr;
    }
    std::unique_ptr<WindowObject> taken = std::move(*found);
    windows.erase(found);
    return taken;
}

WindowObject* LiveWindow(WindowHandle window) {
    for (const auto& record : windows) {
        if (record.get() == window) {
            return record.get();
        }
    }
    return nullptr;
}

const std::vector<std::unique_ptr<WindowObject>>& LiveWindowRecords() {
    return windows;
}

} // namespace internal

void SetWindowUserData(WindowHandle window, void* data) {
    if (WindowObject* record = internal::LiveWindow(window)) {
        record->userData = data;
    }
}

void* GetWindowUserData(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    return record ? record->userData : nullptr;
}

DeviceContext GetDC(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    return record ? &record->deviceContext : nullptr;
}

bool ReleaseDC(WindowHandle window, DeviceContext deviceContext) {
    WindowObject* record = internal::LiveWindow(window);
    return record && deviceContext == &record->deviceContext;
}

bool SwapWaitsForDisplay(DeviceContext deviceContext) {
    WindowObject* record = deviceContext ? internal::LiveWindow(deviceContext->window) : nullptr;
    return record && record->swapWaitsForDisplay;
}

} // namespace platform
