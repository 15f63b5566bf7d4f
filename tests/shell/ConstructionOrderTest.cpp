#include "camera/Camera.h"
#include "camera/Waypoints.h"
#include "core/ConstructionOrder.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

// Objects with static storage are all zero bytes until their constructor runs: the registry's tree header
// then points at itself, and the camera and the nodes get their virtual-table pointers.
bool Built(const void* object, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(object);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return true;
        }
    }
    return false;
}

bool WaypointsBuilt() {
    for (const SceneNode* node : {&waypointBooth, &waypointBooth1, &waypointBooth2, &waypointBooth3,
                                  &waypointHorse, &waypointMountain, &waypointParthenon, &waypointCubes}) {
        if (!Built(node, sizeof *node)) {
            return false;
        }
    }
    return true;
}

// What existed when each probe was built; plain values, so they are set before any constructor runs.
struct Seen {
    bool camera = false;
    bool waypoints = false;
};
Seen beforeCamera;
Seen afterCamera;
Seen afterWaypoints;

// Half-way between two of the ordered priorities.
constexpr int Between(int earlier, int later) {
    return (earlier + later) / 2;
}

struct Probe {
    explicit Probe(Seen* seen) {
        seen->camera = Built(&mainCamera, sizeof mainCamera);
        seen->waypoints = WaypointsBuilt();
    }
};

[[gnu::init_priority(kMainCameraConstructionOrder - 1)]] Probe beforeCameraProbe(&beforeCamera);
[[gnu::init_priority(Between(kMainCameraConstructionOrder, kWaypointsConstructionOrder))]] Probe
    cameraProbe(&afterCamera);
[[gnu::init_priority(kWaypointsConstructionOrder + 1)]] Probe waypointsProbe(&afterWaypoints);

TEST(ConstructionOrderTest, CameraThenWaypointsBeforeAnythingElse) {
    EXPECT_FALSE(beforeCamera.camera) << "the probe before the camera sees it unbuilt";

    EXPECT_TRUE(afterCamera.camera);
    EXPECT_FALSE(afterCamera.waypoints) << "the waypoints are built after the camera";

    EXPECT_TRUE(afterWaypoints.waypoints);
}

} // namespace
