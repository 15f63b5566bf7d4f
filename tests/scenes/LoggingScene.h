// A scene for tests that writes what runs into a shared log and answers its two questions as told.
#pragma once

#include "scenes/Scene.h"

#include <string>
#include <vector>

namespace scenes_test {

class LoggingScene final : public Scene {
public:
    LoggingScene(SceneRegistry& scenes, std::string sceneName, std::vector<std::string>& eventLog,
                 uint32_t sceneFlags = kSceneVisible)
        : Scene(scenes, std::move(sceneName), sceneFlags), log(eventLog) {}

    bool ShouldStart() override { return wantsToStart; }
    void OnEnter() override { log.push_back(name + " enter"); }
    void Update() override { log.push_back(name + " update"); }
    void Draw(const View&) override { log.push_back(name + " draw"); }
    bool IsFinished() override { return finished; }
    void OnLeave() override {
        log.push_back(name + " leave");
        if (clearsLeaving) {
            leaving = false;
        }
    }

    bool wantsToStart = false;
    bool finished = false;
    bool clearsLeaving = true;

private:
    std::vector<std::string>& log;
};

} // namespace scenes_test
