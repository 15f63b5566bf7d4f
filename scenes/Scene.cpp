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

Scene::Scene(SceneRegistry& sceneRegistry, std::string sceneName, uint32_t sceneFlags)
    : flags(sceneFlags), registry(sceneRegistry) {
    const std::string lower = ToLowerName(std::move(sceneName));
    name = lower;
    for (int n = 1; registry.entries.count(name) != 0; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%d", n);
        name = lower + suffix;
    }
    registry.entries[name] = this;
    paused = false;
}

Scene::~Scene() {
    auto entry = registry.entries.find(name);
    if (entry != registry.entries.end() && entry->second == this) {
        registry.entries.erase(entry);
    }
}

void Scene::DrawIfActive(const View& view) {
    if (!paused && !leaving && active) {
        Draw(view);
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
void Scene::Draw(const View&) {}
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

Scene* SceneRegistry::Find(std::string name) const {
    auto entry = entries.find(ToLowerName(std::move(name)));
    return entry == entries.end() ? nullptr : entry->second;
}

bool SceneRegistry::Start(std::string name) {
    Scene* scene = Find(std::move(name));
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

bool SceneRegistry::Stop(std::string name) {
    Scene* scene = Find(std::move(name));
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
void SceneRegistry::StepAll() {
    for (auto& entry : entries) {
        if (entry.second->flags & kSceneVisible) {
            entry.second->Step();
        }
    }
}

void SceneRegistry::DrawAll(const View& view) {
    for (auto& entry : entries) {
        if (entry.second->flags & kSceneVisible) {
            entry.second->DrawIfActive(view);
        }
    }
}

void SceneRegistry::DrawAllIntoCapture() {
    for (auto& entry : entries) {
        entry.second->DrawIntoCapture();
    }
}
