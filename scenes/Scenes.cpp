#include "scenes/Scenes.h"

#include "scenes/CubesScene.h"
#include "scenes/ExhibitScene.h"
#include "scenes/MainScreenScene.h"

void CreateScenes() {
    new MainScreenScene;
    new HorseScene;
    new ParthenonScene;
    new MountainScene;
    new CubesScene;
}

namespace {

// Scene has no virtual destructor, so each scene is destroyed as its own class.
template <typename Concrete> bool DestroyAs(Scene* scene) {
    if (auto* concrete = dynamic_cast<Concrete*>(scene)) {
        delete concrete;
        return true;
    }
    return false;
}

} // namespace

void DestroyScenesForTests() {
    const auto registered = sceneRegistry;
    for (const auto& entry : registered) {
        Scene* scene = entry.second;
        // A scene of any other class belongs to whoever made it.
        static_cast<void>(DestroyAs<MainScreenScene>(scene) || DestroyAs<HorseScene>(scene) ||
                          DestroyAs<MountainScene>(scene) || DestroyAs<ParthenonScene>(scene) ||
                          DestroyAs<CubesScene>(scene));
    }
    sceneRegistry.clear();
}
