#include "camera/CameraRig.h"
#include "camera/Waypoints.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// R(q) in row order as a 3x3 product check: out = a * b.
void Multiply3(const float a[16], const float b[16], float out[16]) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            out[4 * r + c] = a[4 * r] * b[c] + a[4 * r + 1] * b[4 + c] + a[4 * r + 2] * b[8 + c];
        }
    }
}

} // namespace

TEST(SceneNode, NameIsLowerCasedOnlyForAToZ) {
    EXPECT_EQ(SceneNode("Booth1").name, "booth1");
    EXPECT_EQ(SceneNode("MiX_\xC3\x84").name, "mix_\xC3\x84");
    const CameraRig rig;
    EXPECT_EQ(rig.waypointParthenon.name, "parthenon");
    EXPECT_EQ(rig.mainCamera.name, "camera");
}

TEST(SceneNode, RotateTurnsAboutOwnRightAndWorldVertical) {
    SceneNode node("n");
    node.Rotate({0, 90, 0});
    const float half = std::sqrt(0.5f);
    EXPECT_NEAR(node.rotation.x, 0, 1e-7f);
    EXPECT_NEAR(node.rotation.y, half, 1e-7f);
    EXPECT_NEAR(node.rotation.w, half, 1e-7f);
    // GL order: row 0, column 2 is m[8].
    EXPECT_NEAR(node.matrix.m[8], 1.0f, 1e-6f);
    EXPECT_NEAR(node.matrix.m[2], -1.0f, 1e-6f);

    // A further pitch is about the node's own right axis, which after the yaw is world z:
    // R becomes R(before) * Rz(30).
    float before[16], after[16], expected[16];
    node.rotation.ToMatrix(before);
    const float c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    const float rz[16] = {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Multiply3(before, rz, expected);
    node.Rotate({30, 0, 0});
    node.rotation.ToMatrix(after);
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            EXPECT_NEAR(after[4 * r + col], expected[4 * r + col], 1e-6f) << r << "," << col;
        }
    }
}

TEST(SceneNode, MoveAlongOwnAxesAndMatrixUpdates) {
    SceneNode node("n");
    node.Move({0, 0, -0.1f});
    EXPECT_FLOAT_EQ(node.position.z, -0.1f);
    SceneNode turned("t");
    turned.rotation = Quaternion(0, 1, 0, 0); // half-turn about y
    turned.Move({0, 0, -0.1f});
    EXPECT_FLOAT_EQ(turned.position.z, 0.1f);
    turned.Move({0.5f, 0, 0}); // right is world -x after the half-turn
    EXPECT_FLOAT_EQ(turned.position.x, -0.5f);

    // Move (0, 0, 0) normalises and rebuilds the matrix; SetRotation and Reset leave it alone.
    SceneNode still("s");
    still.SetPosition({1, 2, 3});
    still.rotation = Quaternion(0, 0, 0, 2);
    still.matrix.m[1] = 7;
    still.Move({0, 0, 0});
    EXPECT_EQ(still.position.z, 3.0f);
    EXPECT_EQ(still.rotation.w, 1.0f);
    EXPECT_EQ(still.matrix.m[1], 0.0f);
    still.Rotate({0, 90, 0});
    still.SetRotation(Quaternion());
    still.Reset();
    EXPECT_NEAR(still.matrix.m[8], 1.0f, 1e-6f);
    EXPECT_EQ(still.position.x, 0.0f);
}

TEST(Waypoints, PosesAreStoredExactly) {
    CameraRig rig;
    AssignWaypointPoses(rig);
    EXPECT_EQ(rig.waypointHorse.rotation.w, 0.914191f);
    EXPECT_EQ(rig.waypointBooth3.position.z, -1.0688f);
    EXPECT_EQ(rig.waypointCubes.position.x, -3.5528f);
    EXPECT_EQ(rig.waypointBooth2.rotation.z, 0.0006f);
    const Quaternion& q = rig.waypointCubes.rotation;
    EXPECT_GT(std::fabs(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w - 1.0f), 2e-4f); // not normalised
    EXPECT_EQ(rig.waypointMountain.matrix.m[1], 0.0f);
}
