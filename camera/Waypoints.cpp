#include "camera/Waypoints.h"

#include "camera/CameraRig.h"

namespace {

struct WaypointPose {
    SceneNode CameraRig::*node;
    Vec3 position;
    Quaternion rotation;
};

} // namespace

void AssignWaypointPoses(CameraRig& rig) {
    // Recorded with the camera-pose key while setting up the booth; the order of assignment is fixed.
    const WaypointPose poses[] = {
        {&CameraRig::waypointHorse,
         {-0.201275f, 0.377024f, 0.918975f},
         {0.188857f, 0.351072f, 0.073043f, 0.914191f}},
        {&CameraRig::waypointMountain, {-0.4651f, 0.02695f, 0.5399f}, {-0.1338f, 0.1986f, -0.0274f, 0.9705f}},
        {&CameraRig::waypointParthenon,
         {-0.9557f, -0.3125f, -0.0609f},
         {-0.101f, 0.6731f, -0.0936f, 0.7265f}},
        {&CameraRig::waypointBooth, {-1.6089f, 0.6149f, 0.4708f}, {0.1542f, 0.5678f, 0.1093f, 0.8012f}},
        {&CameraRig::waypointBooth1, {-0.7894f, 0.7654f, 1.6781f}, {0.1851f, 0.2381f, 0.0468f, 0.9523f}},
        {&CameraRig::waypointBooth2, {-0.6693f, -0.3299f, 1.5172f}, {-0.1011f, 0.2165f, 0.0006f, 0.971f}},
        {&CameraRig::waypointBooth3, {-1.6534f, 0.0943f, -1.0688f}, {0.0084f, 0.8754f, 0.0135f, 0.4832f}},
        {&CameraRig::waypointCubes, {-3.5528f, 0.5412f, -0.866f}, {-0.0055f, 0.8794f, -0.0012f, 0.4758f}},
    };
    for (const WaypointPose& pose : poses) {
        SceneNode& node = rig.*pose.node;
        node.position = pose.position;
        node.rotation = pose.rotation;
    }
}
