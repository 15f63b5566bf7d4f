// The viewpoint of every frame: flies in a straight line to a target node, follows one along a spline path,
// or stays put for hand steering; loads its view transform with OpenGL and GLU.
#pragma once

#include "camera/CardinalSpline.h"
#include "camera/SceneNode.h"
#include "core/PerfTimer.h"

enum CameraMode { Free = 0, Follow = 2, FlyTo = 3 };

// Follow mode: distance of the goal point from the target along the target's side axis, and its
// height above the target.
constexpr float followDistance = 1.3f;
constexpr float followHeight = 0.5f;
// Follow mode path speed: overall factor, lower bound of the goal's speed, term used far from the goal.
constexpr float pathSpeedScale = 1.4f;
constexpr float minGoalSpeed = 8.0f;
constexpr float farSpeed = 37.0f;

// What Follow mode carries from one update to the next.
struct FollowState {
    // Marks referenceAngle as not yet taken.
    static constexpr float kUnsetAngle = -1.0f;

    Vec3 anchorOffset;                  // offset from the target to the goal point
    Vec3 lastPathPoint;                 // last point the path placed the camera on
    float referenceAngle = kUnsetAngle; // angle the target's turning is measured against
    bool firstFollowUpdate = true;      // true until the first Follow update of the run has taken its offset
};

class Camera : public SceneNode {
public:
    // Starts at (1, 1, 1) following its own node "root" at the origin.
    Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    void Apply() override;
    // One step in the current mode, then the view transform; always true.
    virtual bool Update(float milliseconds);

    void SetMode(CameraMode newMode);
    // Chooses a target (none keeps the current one), switches to Follow and restarts the flight
    // bookkeeping from the present pose.
    void SetTarget(SceneNode* node);
    // The point looked at: the target's position in Follow mode, otherwise the camera's own.
    Vec3 LookTarget() const;

    float pathParam = 0.0f;
    SceneNode* target = nullptr;
    CameraMode mode = Free;
    bool inFlight = false;
    Vec3 lastGoal;
    float pathLength = -1.0f;
    CardinalSpline path;
    PerfTimer clock;
    float flightProgress = 0.0f;
    float flightDistance = 0.0f;
    Quaternion startRotation;
    FollowState followState;

private:
    void StepFlight(float milliseconds);
    void StepFollow();
    float AdvancePath(const Vec3& goal);
    void ApplyLookAt();

    // The camera's own target until another is chosen; a member so that it cannot fail to exist.
    SceneNode root;
};
