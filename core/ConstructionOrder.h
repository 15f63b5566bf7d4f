// The order in which the process-wide objects of several files are built before the entry point (and
// torn down, in reverse, at exit), used with GCC/Clang's init_priority.
#pragma once

// Lower runs first; all of these run before any object without a priority. 101 and above are free
// for programs; the gaps leave room to place an object between two of them.
constexpr int kMainCameraConstructionOrder = 1200;
// The eight waypoints share one priority: within their file they are built in definition order.
constexpr int kWaypointsConstructionOrder = 1300;
