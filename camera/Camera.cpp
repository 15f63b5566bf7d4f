#include "camera/Camera.h"

#include "platform/MessageLines.h"
#include "platform/OpenGl.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kSplineTension = 0.5f; // a Catmull-Rom path
// Distance per frame is this divided by the frame's milliseconds.
constexpr float kFlightStepFactor = 1.75f;
constexpr float kFlightEnd = 1.0001f;
// Degrees the target must turn before the goal point swings round with it.
constexpr float kTargetTurnThreshold = 0.75f;
constexpr float kReplanDistance = 1.45f;
constexpr float kFarDistance = 27.0f;
constexpr float kNearDistance = 0.5f;
constexpr float kInverseFarDistance = 1.0f / kFarDistance;
constexpr float kGoalSpeedFactor = 0.15f;
constexpr const char* kPlanMessage = "plotting new spline... ";

bool IsFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool IsFinite(const Quaternion& q) {
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

} // namespace

Camera::Camera() : SceneNode("Camera"), path(kSplineTension), root("root") {
    inFlight = false;
    position = Vec3(1.0f, 1.0f, 1.0f);
    mode = Free;
    pathParam = 0.0f;
    clock.Reset();
    pathLength = -1.0f;
    target = nullptr;
    SetTarget(&root);
}

void Camera::SetMode(CameraMode newMode) {
    mode = newMode;
}

void Camera::SetTarget(SceneNode* node) {
    if (node) {
        target = node;
        SetMode(Follow);
    }
    flightProgress = 0.0f;
    flightDistance = target ? Distance(target->position, position) : 0.0f;
    startRotation = rotation;
}

Vec3 Camera::LookTarget() const {
    return (mode == Follow && target) ? target->position : position;
}

bool Camera::Update(float milliseconds) {
    switch (mode) {
    case FlyTo:
        StepFlight(milliseconds);
        break;
    case Follow:
        if (target) {
            StepFollow();
        }
        break;
    default:
        break;
    }
    clock.Reset();
    Apply();
    return true;
}

void Camera::StepFlight(float milliseconds) {
    if (!target) {
        inFlight = false;
        return;
    }
    const float step = kFlightStepFactor / milliseconds;
    // A frame that took no measurable time has no step to take: the flight waits for the next one
    // rather than ending on an infinite step.
    if (!(milliseconds > 0.0f) || !std::isfinite(step)) {
        return;
    }
    Vec3 direction = target->position - position;
    direction.Normalize();
    // Standing on the target's position leaves no direction to go in: nothing moves and the flight
    // reports itself arrived, without letting the undefined direction into the progress.
    if (!IsFinite(direction)) {
        inFlight = false;
        return;
    }
    const Vec3 offset = direction * step;
    flightProgress = flightProgress + offset.Length() / flightDistance;
    if (flightProgress < kFlightEnd) {
        position += offset;
        rotation = Slerp(flightProgress, startRotation, target->rotation);
        RebuildMatrix();
        inFlight = true;
    } else {
        inFlight = false;
    }
}

void Camera::StepFollow() {
    const Vec3 offset = target->rotation.AxisX() * followDistance * -1.0f;
    if (followState.firstFollowUpdate) {
        followState.anchorOffset = offset;
        followState.firstFollowUpdate = false;
    }
    const float angle = HorizontalAngle(followState.anchorOffset, offset);
    if (followState.referenceAngle == FollowState::kUnsetAngle) {
        followState.referenceAngle = angle;
        clock.Reset();
    }
    if (std::fabs(angle - followState.referenceAngle) > kTargetTurnThreshold) {
        followState.anchorOffset = offset;
        followState.referenceAngle = angle;
    }
    const Vec3& at = target->position;
    const Vec3 goal(at.x + followState.anchorOffset.x, at.y + followHeight,
                    at.z + followState.anchorOffset.z);

    if (Distance(goal, lastGoal) > kReplanDistance ||
        Distance(position, followState.lastPathPoint) > kReplanDistance) {
        pathLength = Distance(position, goal);
        platform::PrintMessage("%s\n", kPlanMessage);
        path.ClearPoints();
        path.AddPoint(position);
        path.AddPoint(goal);
        lastGoal = goal;
        pathParam = 0.0f;
    }
    if (pathParam < 1.0f) {
        pathParam = AdvancePath(goal);
        const std::optional<Vec3> point = path.Evaluate(path.PointCount() - 1, pathParam);
        if (point) {
            followState.lastPathPoint = *point;
            position = *point;
        }
    }
}

float Camera::AdvancePath(const Vec3& goal) {
    const float toGoal = Distance(position, goal);
    const float dt = static_cast<float>(clock.Elapsed());
    // No time has passed (the clock was reset this very update): the goal's speed would be 0/0 and
    // the parameter undefined, so the path stays where it is.
    if (!(dt > 0.0f)) {
        return pathParam;
    }
    float goalSpeed = Distance(goal, lastGoal) / dt;
    if (goalSpeed < minGoalSpeed) {
        goalSpeed = minGoalSpeed;
    }
    float blend;
    if (toGoal > kFarDistance) {
        blend = 1.0f;
    } else if (toGoal < kNearDistance) {
        blend = 0.0f;
    } else {
        blend = toGoal * kInverseFarDistance;
    }
    pathParam = pathParam + dt * (kGoalSpeedFactor * goalSpeed * (1.0f - blend) + farSpeed * blend) /
                                pathLength * pathSpeedScale;
    if (pathParam > 1.0f) {
        pathParam = 1.0f;
    }
    return pathParam;
}

void Camera::Apply() {
    switch (mode) {
    case Follow:
        ApplyLookAt();
        break;
    case FlyTo:
    case Free:
        break;
    default:
        return;
    }
    glLoadMatrixf(matrix.m);
    glTranslatef(-position.x, -position.y, -position.z);
}

void Camera::ApplyLookAt() {
    const Vec3 centre = LookTarget();
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(position.x, position.y, position.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
    // Filled with NaN so that a read-back that wrote nothing is recognised as unusable.
    Matrix4 view;
    for (float& element : view.m) {
        element = std::numeric_limits<float>::quiet_NaN();
    }
    glGetFloatv(GL_MODELVIEW_MATRIX, view.m);
    view.Transpose();
    const Quaternion looking = Quaternion::FromMatrix(view.m);
    // Eye and centre in one place give no view direction (GLU leaves the axes zero or non-finite);
    // the camera then keeps the rotation it had.
    const Vec3 direction = centre - position;
    const bool hasDirection =
        direction.x * direction.x + direction.y * direction.y + direction.z * direction.z > 0.0f;
    if (hasDirection && IsFinite(looking)) {
        rotation = looking;
    }
    RebuildMatrix();
    glPopMatrix();
}
