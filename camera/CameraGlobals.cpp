// The camera and the waypoints live in one file so that they are constructed in this order.
#include "camera/Camera.h"
#include "camera/Waypoints.h"
#include "core/ConstructionOrder.h"

[[gnu::init_priority(kMainCameraConstructionOrder)]] Camera mainCamera;
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointBooth("Booth");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointBooth1("Booth1");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointBooth2("Booth2");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointBooth3("Booth3");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointHorse("Horse");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointMountain("Mountain");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointParthenon("Parthenon");
[[gnu::init_priority(kWaypointsConstructionOrder)]] SceneNode waypointCubes("Cubes");
