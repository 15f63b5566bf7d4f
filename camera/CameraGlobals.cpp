// The camera and the waypoints live in one file so that they are constructed in this order.
#include "camera/Camera.h"
#include "camera/Waypoints.h"

Camera mainCamera;
SceneNode waypointBooth("Booth");
SceneNode waypointBooth1("Booth1");
SceneNode waypointBooth2("Booth2");
SceneNode waypointBooth3("Booth3");
SceneNode waypointHorse("Horse");
SceneNode waypointMountain("Mountain");
SceneNode waypointParthenon("Parthenon");
SceneNode waypointCubes("Cubes");
