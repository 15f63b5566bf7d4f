// The registry alone in its file, so that start-up can fix its construction order among the
// process-wide objects (it must exist before any scene registers and outlive them all).
#include "scenes/Scene.h"
#include "core/ConstructionOrder.h"

[[gnu::init_priority(kSceneRegistryConstructionOrder)]] std::map<std::string, Scene*> sceneRegistry;
