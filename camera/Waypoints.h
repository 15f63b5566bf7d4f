// The poses that start-up gives the waypoints.
#pragma once

struct CameraRig;

// Writes each waypoint's position and rotation exactly as tabulated (the rotations are not
// normalised); the matrices are not touched.
void AssignWaypointPoses(CameraRig& rig);
