#include "shell/ServiceStatus.h"

#include "input/ButtonPanel.h"
#include "platform/ServiceNotify.h"
#include "scenes/Scene.h"

#include <charconv>

namespace {

constexpr const char* kSceneStatusPrefix = "Showing ";
constexpr const char* kSceneStatusSeparator = ", ";
constexpr const char* kNoSceneStatus = "No scene running";
constexpr const char* kStuckButtonStatusPrefix = "; button ";
constexpr const char* kStuckButtonStatusSuffix = " stuck";
constexpr size_t kButtonNumberSize = 12;

} // namespace

void ShowStatus(const SceneRegistry& scenes, const ButtonPanel& buttons, std::string* status) {
    status->clear();
    for (const auto& entry : scenes.Entries()) {
        if (entry.second->active) {
            status->append(status->empty() ? kSceneStatusPrefix : kSceneStatusSeparator)
                .append(entry.second->name);
        }
    }
    if (status->empty()) {
        status->assign(kNoSceneStatus);
    }
    for (int button = 1; button <= kButtonCount; ++button) {
        if (buttons.Stuck(button)) {
            char number[kButtonNumberSize];
            const std::to_chars_result written = std::to_chars(number, number + sizeof number, button);
            status->append(kStuckButtonStatusPrefix)
                .append(number, written.ptr)
                .append(kStuckButtonStatusSuffix);
        }
    }
}

StatusReporter::StatusReporter() : shown(kNoSceneStatus) {}

void StatusReporter::Report(const SceneRegistry& scenes, const ButtonPanel& buttons) {
    ShowStatus(scenes, buttons, &current);
    if (current != shown) {
        shown = current;
        platform::NotifyStatus(shown);
    }
}
