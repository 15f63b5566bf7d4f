#include "camera/Camera.h"

#include "platform/OffscreenContext.h"
#include "support/FakeClock.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class CameraTest : public testing::Test {
protected:
    // Update ends by loading the view, so every camera test runs with a real context current.
    static void SetUpTestSuite() { gl = std::make_unique<platform::OffscreenContext>(64, 64); }
    static void TearDownTestSuite() { gl.reset(); }
    void SetUp() override {
        ASSERT_TRUE(gl->Ok());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Camera at the origin, flying towards target.
    void StartFlight(Vec3 to, Quaternion turn = Quaternion(0, 0.5f, 0, 0.8660254f)) {
        target.position = to;
        target.rotation = turn;
        camera.position = Vec3();
        camera.SetTarget(&target);
        camera.SetMode(FlyTo);
    }
    static void ExpectNear(const Vec3& v, Vec3 expected, float tolerance = 1e-5f) {
        EXPECT_NEAR(v.x, expected.x, tolerance);
        EXPECT_NEAR(v.y, expected.y, tolerance);
        EXPECT_NEAR(v.z, expected.z, tolerance);
    }
    static void ExpectModelview(const float expected[16], float tolerance = 1e-5f) {
        float actual[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, actual);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
        }
    }

    static std::unique_ptr<platform::OffscreenContext> gl;
    testing_support::FakeClock clock;
    Camera camera;
    SceneNode target{"Target"};
};

std::unique_ptr<platform::OffscreenContext> CameraTest::gl;

} // namespace

TEST_F(CameraTest, StartsFollowingItsRootNode) {
    EXPECT_EQ(camera.mode, Follow);
    EXPECT_EQ(camera.target->name, "root");
    EXPECT_FLOAT_EQ(camera.flightDistance, std::sqrt(3.0f));
    EXPECT_EQ(camera.pathLength, -1.0f);
}

TEST_F(CameraTest, FlightStopsShortWhenTheStepOvershoots) {
    StartFlight({0.35f, 0, 0});
    const float progress[] = {0.2857f, 0.5714f, 0.8571f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(camera.Update(17.5f));
        EXPECT_TRUE(camera.inFlight);
        EXPECT_NEAR(camera.flightProgress, progress[i], 1e-4f);
        ExpectNear(camera.position, {0.1f * (i + 1), 0, 0});
    }
    const Quaternion resting = camera.rotation;
    ExpectNear(camera.rotation.AxisY(), Slerp(camera.flightProgress, Quaternion(), target.rotation).AxisY());
    camera.Update(17.5f);
    EXPECT_FALSE(camera.inFlight);
    EXPECT_NEAR(target.position.x - camera.position.x, 0.05f, 1e-5f);
    EXPECT_EQ(camera.rotation.y, resting.y);
    // Half the frame time, twice the step.
    StartFlight({1, 0, 0});
    camera.Update(8.75f);
    EXPECT_NEAR(camera.position.x, 0.2f, 1e-6f);
}

TEST_F(CameraTest, FlightLandsOnTheTargetWithItsNormalisedRotation) {
    const Quaternion cubes(-0.0055f, 0.8794f, -0.0012f, 0.4758f); // length 0.99988
    StartFlight({0, 0, -1}, cubes);
    for (int i = 0; i < 4; ++i) {
        camera.Update(7.0f);
        EXPECT_TRUE(camera.inFlight);
    }
    EXPECT_EQ(camera.flightProgress, 1.0f);
    ExpectNear(camera.position, {0, 0, -1}, 0);
    Quaternion normalised = cubes;
    normalised.Normalize();
    EXPECT_NEAR(camera.rotation.x, normalised.x, 1e-6f);
    EXPECT_NEAR(camera.rotation.w, normalised.w, 1e-6f);
    // Standing on the target there is no direction left: the flight ends with nothing non-finite.
    camera.Update(7.0f);
    EXPECT_FALSE(camera.inFlight);
    ExpectNear(camera.position, {0, 0, -1}, 0);
    EXPECT_EQ(camera.flightProgress, 1.0f);
    EXPECT_TRUE(std::isfinite(camera.rotation.w));
}

TEST_F(CameraTest, ZeroMillisecondFrameWaitsInsteadOfEndingTheFlight) {
    StartFlight({0.35f, 0, 0});
    camera.Update(17.5f);
    camera.Update(0.0f);
    EXPECT_TRUE(camera.inFlight);
    EXPECT_NEAR(camera.flightProgress, 0.2857f, 1e-4f);
    EXPECT_NEAR(camera.position.x, 0.1f, 1e-6f);
    camera.Update(17.5f);
    EXPECT_TRUE(camera.inFlight);
    EXPECT_NEAR(camera.position.x, 0.2f, 1e-6f);
    // Already on the target when the flight starts (distance 0): it ends without moving.
    target.position = camera.position;
    camera.SetTarget(&target);
    camera.SetMode(FlyTo);
    camera.Update(17.5f);
    EXPECT_FALSE(camera.inFlight);
    EXPECT_NEAR(camera.position.x, 0.2f, 1e-6f);
    EXPECT_TRUE(std::isfinite(camera.rotation.x));
}

TEST_F(CameraTest, FreeModePausesTheFlightAndFlyToResumesIt) {
    StartFlight({0.35f, 0, 0});
    camera.Update(17.5f);
    camera.Update(17.5f);
    camera.SetMode(Free);
    const Quaternion held = camera.rotation;
    camera.Move({0, 1, 0});
    camera.Update(17.5f);
    EXPECT_TRUE(camera.inFlight);
    EXPECT_NEAR(camera.flightProgress, 0.5714f, 1e-4f);
    ExpectNear(camera.position, {0.2f, 1, 0});
    EXPECT_EQ(camera.rotation.y, held.y);
    // Resumed: progress goes on, the position moves on from where the camera now stands.
    camera.SetMode(FlyTo);
    camera.Update(17.5f);
    EXPECT_NEAR(camera.flightProgress, 0.8571f, 1e-4f);
    Vec3 toward = Vec3(0.35f, 0, 0) - Vec3(0.2f, 1, 0);
    toward.Normalize();
    ExpectNear(camera.position, Vec3(0.2f + 0.1f * toward.x, 1 + 0.1f * toward.y, 0));
    camera.Update(17.5f);
    EXPECT_FALSE(camera.inFlight);
    // An ended flight stays ended across Free and FlyTo.
    const Vec3 rest = camera.position;
    camera.SetMode(Free);
    camera.SetMode(FlyTo);
    camera.Update(17.5f);
    EXPECT_FALSE(camera.inFlight);
    ExpectNear(camera.position, rest, 0);
}

TEST_F(CameraTest, NewTargetInMidFlightStartsAFreshFlight) {
    StartFlight({0.35f, 0, 0});
    camera.Update(17.5f);
    SceneNode other("Other");
    other.position = {0.1f, 0.5f, 0};
    camera.SetTarget(&other);
    EXPECT_EQ(camera.mode, Follow);
    EXPECT_EQ(camera.flightProgress, 0.0f);
    EXPECT_NEAR(camera.flightDistance, 0.5f, 1e-6f);
    EXPECT_EQ(camera.startRotation.y, camera.rotation.y);
    camera.SetMode(FlyTo);
    CaptureStdout();
    camera.Update(17.5f);
    EXPECT_EQ(GetCapturedStdout(), ""); // no Follow step between SetTarget and FlyTo
    ExpectNear(camera.position, {0.1f, 0.1f, 0});
    EXPECT_NEAR(camera.flightProgress, 0.2f, 1e-5f);
}

TEST_F(CameraTest, FirstFollowUpdatePlansAPathAndTravelsAlongIt) {
    const Vec3 start(1, 1, 1), goal(-1.3f, 0.5f, 0);
    CaptureStdout();
    camera.Update(16.0f);
    // The clock was reset in this very update: no time passed, the camera stays put, finite.
    EXPECT_EQ(camera.pathParam, 0.0f);
    ExpectNear(camera.position, start, 0);
    ExpectNear(camera.lastGoal, goal);
    EXPECT_NEAR(camera.pathLength, std::sqrt(6.54f), 1e-5f);
    EXPECT_EQ(camera.path.PointCount(), 2);
    camera.Update(16.0f); // the same instant again
    EXPECT_EQ(camera.pathParam, 0.0f);
    float previous = 0.0f;
    for (int frame = 0; frame < 500 && camera.pathParam < 1.0f; ++frame) {
        clock.AdvanceMs(16);
        camera.Update(16.0f);
        ASSERT_GT(camera.pathParam, previous);
        previous = camera.pathParam;
        const Vec3 along = camera.position - start, line = goal - start;
        const float t = along.x / line.x;
        ExpectNear(camera.position, Vec3(start.x + t * line.x, start.y + t * line.y, start.z + t * line.z));
    }
    EXPECT_EQ(GetCapturedStdout(), "plotting new spline... \n");
    EXPECT_EQ(camera.pathParam, 1.0f);
    ExpectNear(camera.position, goal);
}

TEST_F(CameraTest, GoalSwingsWithTheTargetOnlyBeyondThreeQuarterDegree) {
    camera.Update(16.0f);
    target.position = Vec3();
    camera.SetTarget(&target);
    target.Rotate({0, 0.7f, 0});
    clock.AdvanceMs(16);
    camera.Update(16.0f);
    ExpectNear(camera.followState.anchorOffset, {-1.3f, 0, 0});
    target.Rotate({0, 0.2f, 0});
    clock.AdvanceMs(16);
    camera.Update(16.0f);
    EXPECT_NEAR(camera.followState.referenceAngle, 0.9f, 1e-3f);
    ExpectNear(camera.followState.anchorOffset, target.rotation.AxisX() * -1.3f);
    // A large turn moves the goal more than 1.45 and a new path is planned towards it.
    target.Rotate({0, 120, 0});
    CaptureStdout();
    clock.AdvanceMs(16);
    camera.Update(16.0f);
    EXPECT_EQ(GetCapturedStdout(), "plotting new spline... \n");
    ExpectNear(camera.lastGoal,
               Vec3(camera.followState.anchorOffset.x, 0.5f, camera.followState.anchorOffset.z));
}

namespace {

// The view a pose gives: R(q) followed by a translation by minus the position, in GL order.
void ViewOf(const Quaternion& q, const Vec3& p, float out[16]) {
    float r[16];
    q.ToMatrix(r);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            out[4 * col + row] = r[4 * row + col];
        }
    }
    for (int row = 0; row < 3; ++row) {
        out[12 + row] = -(r[4 * row] * p.x + r[4 * row + 1] * p.y + r[4 * row + 2] * p.z);
    }
}

} // namespace

TEST_F(CameraTest, FollowViewIsTheLookAtOfTheTarget) {
    target.position = {0.2f, -0.3f, 0.1f};
    camera.SetTarget(&target);
    for (int frame = 0; frame < 3; ++frame) {
        clock.AdvanceMs(16);
        camera.Update(16.0f);
        float lookAt[16];
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(camera.position.x, camera.position.y, camera.position.z, 0.2, -0.3, 0.1, 0, 1, 0);
        glGetFloatv(GL_MODELVIEW_MATRIX, lookAt);
        glPopMatrix();
        ExpectModelview(lookAt);
        float view[16];
        ViewOf(camera.rotation, camera.position, view);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(view[i], lookAt[i], 1e-5f);
            EXPECT_NEAR(camera.matrix.m[i], i < 12 ? lookAt[i] : (i == 15), 1e-5f);
        }
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
}

TEST_F(CameraTest, FollowWithTheEyeOnTheTargetKeepsTheRotation) {
    camera.position = camera.target->position;
    camera.rotation = Quaternion(0, 0.6f, 0, 0.8f);
    camera.Apply();
    EXPECT_EQ(camera.rotation.y, 0.6f);
    EXPECT_EQ(camera.rotation.w, 0.8f);
    float view[16];
    ViewOf(camera.rotation, camera.position, view);
    ExpectModelview(view);
}

TEST_F(CameraTest, FlyToAndFreeLoadTheStoredMatrix) {
    StartFlight({0.35f, 0.2f, -0.1f});
    camera.Update(17.5f);
    float view[16];
    ViewOf(camera.rotation, camera.position, view);
    ExpectModelview(view);
    // In Free mode a SetRotation without Rotate or Move does not show.
    camera.SetMode(Free);
    const Quaternion shown = camera.rotation;
    camera.SetRotation(Quaternion(1, 0, 0, 0));
    camera.Update(17.5f);
    ViewOf(shown, camera.position, view);
    ExpectModelview(view);
    // Any other mode value leaves the modelview matrix alone and the camera still.
    glLoadIdentity();
    glTranslatef(3, 4, 5);
    float before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const Vec3 at = camera.position;
    camera.SetMode(static_cast<CameraMode>(1));
    EXPECT_TRUE(camera.Update(17.5f));
    ExpectModelview(before, 0);
    ExpectNear(camera.position, at, 0);
}
