#include "scenes/Scenes.h"

#include "scenes/CubesScene.h"
#include "scenes/ExhibitScene.h"
#include "scenes/MainScreenScene.h"

#include <utility>
#include <vector>

void CreateScenes(SceneRegistry& registry) {
    new MainScreenScene(registry);
    new HorseScene(registry);
    new ParthenonScene(registry);
    new MountainScene(registry);
    new CubesScene(registry);
}

namespace {

// Scene has no virtual destructor, so each scene is destroyed as its own class.
template <typename Concrete> void DestroyAs(Scene* scene) {
    delete static_cast<Concrete*>(scene);
}

template <typename Concrete> bool IsA(Scene* scene) {
    return dynamic_cast<Concrete*>(scene) != nullptr;
}

struct SceneClass {
    bool (*is)(Scene*);
    void (*destroy)(Scene*);
};

constexpr SceneClass kSceneClasses[] = {
    {IsA<MainScreenScene>, DestroyAs<MainScreenScene>}, {IsA<HorseScene>, DestroyAs<HorseScene>},
    {IsA<ParthenonScene>, DestroyAs<ParthenonScene>},   {IsA<MountainScene>, DestroyAs<MountainScene>},
    {IsA<CubesScene>, DestroyAs<CubesScene>},
};

} // namespace

void DestroyScenes(SceneRegistry& registry) {
    std::vector<std::pair<Scene*, void (*)(Scene*)>> doomed;
    for (const auto& entry : registry.Entries()) {
        for (const SceneClass& sceneClass : kSceneClasses) {
            if (sceneClass.is(entry.second)) {
                doomed.emplace_back(entry.second, sceneClass.destroy);
            }
        }
    }
    for (const auto& entry : doomed) {
        registry.Stop(entry.first->name);
    }
    // Each destructor takes its own entry out of the registry.
    for (const auto& [scene, destroy] : doomed) {
        destroy(scene);
    }
}
