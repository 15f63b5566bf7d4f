// The eight named waypoints the camera flies to, and the poses that start-up gives them. The nodes themselves
// are defined in camera/CameraGlobals.cpp.
#pragma once

#include "camera/SceneNode.h"

extern SceneNode waypointBooth;
extern SceneNode waypointBooth1;
extern SceneNode waypointBooth2;
extern SceneNode waypointBooth3;
extern SceneNode waypointHorse;
extern SceneNode waypointMountain;
extern SceneNode waypointParthenon;
extern SceneNode waypointCubes;

// Writes each waypoint's position and rotation exactly as tabulated (the rotations are not
// normalised); the matrices are not touched.
void AssignWaypointPoses();
