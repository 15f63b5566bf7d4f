// The show's camera and the eight named waypoints it flies to, with the names the waypoints have always
// had. The program makes one per run, as part of its scenes' registry; a test makes its own.
#pragma once

#include "camera/Camera.h"
#include "camera/SceneNode.h"

struct CameraRig {
    SceneNode waypointBooth{"Booth"};
    SceneNode waypointBooth1{"Booth1"};
    SceneNode waypointBooth2{"Booth2"};
    SceneNode waypointBooth3{"Booth3"};
    SceneNode waypointHorse{"Horse"};
    SceneNode waypointMountain{"Mountain"};
    SceneNode waypointParthenon{"Parthenon"};
    SceneNode waypointCubes{"Cubes"};
    // Last, so that it goes first: it is never left aimed at a waypoint that is gone.
    Camera mainCamera;
};
