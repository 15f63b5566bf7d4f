#include "scenes/Scene.h"

#include <cstdio>

namespace {

// Only A to Z are folded: the key must not depend on the locale.
std::string ToLowerName(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

} // namespace

Scene::Scene(std::string sceneName, uint32_t sceneFlags) : flags(sceneFlags) {
    const std::string lower = ToLowerName(std::move(sceneName));
    name = lower;
    for (int n = 1; sceneRegistry.count(name) != 0; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%d", n);
        name = lower + suffix;
    }
    sceneRegistry[name] = this;
    paused = false;
}

Scene::~Scene() {
    auto entry = sceneRegistry.find(name);
    if (entry != sceneRegistry.end() && entry->second == this) {
        sceneRegistry.erase(entry);
    }
}

void Scene::DrawIfActive() {
    if (!paused && !leaving && active) {
        Draw();
    }
}

bool Scene::EndLeaving() {
    if (!leaving) {
        return false;
    }
    leaving = false;
    active = false;
    return true;
}

void Scene::Pause() {
    if (!paused) {
        paused = true;
        clock.Pause();
    }
}

void Scene::Resume() {
    if (paused) {
        paused = false;
        clock.Resume();
    }
}

void Scene::OnEnter() {}
void Scene::Update() {}
void Scene::Draw() {}
void Scene::OnLeave() {}

bool Scene::PressedWhileRunning() {
    return false;
}

void Scene::DrawIntoCapture() {}

void Scene::Step() {
    if (paused || leaving) {
        return;
    }
    if (active) {
        if (IsFinished()) {
            leaving = true;
            active = false;
            OnLeave();
        } else {
            Update();
        }
        return;
    }
    if (ShouldStart()) {
        active = true;
        clock.Reset();
        OnEnter();
        Update();
    }
}

Scene* FindScene(std::string name) {
    auto entry = sceneRegistry.find(ToLowerName(std::move(name)));
    return entry == sceneRegistry.end() ? nullptr : entry->second;
}

bool StartScene(std::string name) {
    Scene* scene = FindScene(std::move(name));
    if (scene == nullptr || scene->leaving || scene->active) {
        return false;
    }
    scene->Resume();
    scene->active = true;
    scene->clock.Reset();
    scene->OnEnter();
    scene->Update();
    return true;
}

bool StopScene(std::string name) {
    Scene* scene = FindScene(std::move(name));
    if (scene == nullptr || scene->leaving || !scene->active) {
        return false;
    }
    scene->active = false;
    scene->leaving = true;
    scene->OnLeave();
    return true;
}

// The scenes switch one another on and off from inside these walks; that is safe because scenes
// are made and destroyed only between frames, at start-up and shut-down.
void StepScenes() {
    for (auto& entry : sceneRegistry) {
        if (entry.second->flags & kSceneVisible) {
            entry.second->Step();
        }
    }
}

void DrawScenes() {
    for (auto& entry : sceneRegistry) {
        if (entry.second->flags & kSceneVisible) {
            entry.second->DrawIfActive();
        }
    }
}

void DrawScenesIntoCapture() {
    for (auto& entry : sceneRegistry) {
        entry.second->DrawIntoCapture();
    }
}

void ResetSceneRegistryForTests() {
    sceneRegistry.clear();
}
