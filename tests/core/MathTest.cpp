#include "core/Math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Same rotation: q or -q.
void ExpectSameRotation(const Quaternion& a, const Quaternion& b, float tolerance = 1e-5f) {
    const float sign = (a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w) < 0 ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, tolerance);
    EXPECT_NEAR(a.y, sign * b.y, tolerance);
    EXPECT_NEAR(a.z, sign * b.z, tolerance);
    EXPECT_NEAR(a.w, sign * b.w, tolerance);
}

Quaternion AboutAxis(Vec3 axis, double degrees) {
    axis.Normalize();
    Quaternion q;
    q.FromAxisAngle(axis, degrees * M_PI / 180.0);
    return q;
}

} // namespace

TEST(Quaternion, MatrixRoundTripIncludingHalfTurns) {
    Matrix4 identity;
    ExpectSameRotation(Quaternion::FromMatrix(identity.m), Quaternion());
    float out[16];
    Quaternion().ToMatrix(out);
    Matrix4 back;
    std::copy(out, out + 16, back.m);
    back.Transpose();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(back.m[i], identity.m[i]);
    }
    // Half-turns take the path for a trace of -1; about (1, 1, 0) the first two diagonal elements tie.
    const Quaternion cases[] = {AboutAxis({1, 0, 0}, 180),          AboutAxis({0, 1, 0}, 180),
                                AboutAxis({0, 0, 1}, 180),          AboutAxis({1, 1, 0}, 180),
                                AboutAxis({1, 0, 1}, 180),          AboutAxis({1, 1, 1}, 180),
                                AboutAxis({0.3f, -0.5f, 0.8f}, 77), AboutAxis({-1, 2, 0.5f}, 250)};
    for (const Quaternion& q : cases) {
        q.ToMatrix(out);
        ExpectSameRotation(Quaternion::FromMatrix(out), q);
    }
    ExpectSameRotation(AboutAxis({0, 1, 0}, 180), Quaternion(0, 1, 0, 0), 1e-7f);
}

TEST(Quaternion, AxesAndProductOrder) {
    const Vec3 x = Quaternion().AxisX(), y = Quaternion().AxisY(), z = Quaternion().AxisZ();
    EXPECT_EQ(x.x + y.y + z.z, 3.0f);
    EXPECT_EQ(x.y + x.z + y.x + y.z + z.x + z.y, 0.0f);
    // R(p * q) = R(p) R(q), with p on the left.
    const Quaternion p = AboutAxis({1, 2, 3}, 40), q = AboutAxis({-2, 0.5f, 1}, 65);
    Quaternion pq = p;
    pq *= q;
    float rp[16], rq[16], rpq[16];
    p.ToMatrix(rp);
    q.ToMatrix(rq);
    pq.ToMatrix(rpq);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            float sum = 0;
            for (int k = 0; k < 3; ++k) {
                sum += rp[4 * r + k] * rq[4 * k + c];
            }
            EXPECT_NEAR(rpq[4 * r + c], sum, 1e-6f);
        }
    }
    const Vec3 back = pq.AxisZ();
    EXPECT_NEAR(back.x, rpq[8], 1e-6f);
    EXPECT_NEAR(back.y, rpq[9], 1e-6f);
    EXPECT_NEAR(back.z, rpq[10], 1e-6f);
}

TEST(Quaternion, SlerpEndsBranchesAndShorterArc) {
    const Quaternion from = AboutAxis({0, 1, 0}, 0.0), to = AboutAxis({0, 1, 0}, 90);
    ExpectSameRotation(Slerp(0.0f, from, to), from, 1e-7f);
    ExpectSameRotation(Slerp(1.0f, from, to), to, 1e-7f);
    ExpectSameRotation(Slerp(0.5f, from, to), AboutAxis({0, 1, 0}, 45), 1e-6f);
    // Equal rotations, also with the opposite sign, take the linear branch and stay put.
    const Quaternion q = AboutAxis({1, 1, 0}, 30);
    const Quaternion minusQ(-q.x, -q.y, -q.z, -q.w);
    for (float t : {0.0f, 0.3f, 1.0f, 1.00009f}) {
        const Quaternion same = Slerp(t, q, q), opposite = Slerp(t, q, minusQ);
        EXPECT_NEAR(same.x, q.x, 1e-6f);
        EXPECT_NEAR(opposite.x, q.x, 1e-6f);
        EXPECT_NEAR(opposite.w, q.w, 1e-6f);
    }
    // A negative dot takes the shorter arc: t = 1 gives -to.
    const Quaternion far = AboutAxis({0, 1, 0}, 270);
    const Quaternion end = Slerp(1.0f, from, far);
    EXPECT_NEAR(end.w, -far.w, 1e-6f);
    EXPECT_NEAR(end.y, -far.y, 1e-6f);
}

TEST(Vec3, HorizontalAngleAndDistance) {
    const Vec3 a(0.3f, 7.0f, -1.7f);
    EXPECT_EQ(HorizontalAngle(a, a), 0.0f);
    EXPECT_NEAR(HorizontalAngle({1, 5, 0}, {0, -3, 2}), 90.0f, 1e-5f);
    EXPECT_NEAR(HorizontalAngle({1, 0, 0}, {-1, 0, 0.0001f}), 180.0f, 0.01f);
    // Parallel vectors whose quotient rounds to just above 1: the angle is 0, not undefined.
    const Vec3 p(0.316605568f, 0, 2.5256834f), q(0.739206374f, 0, 5.89693117f);
    const double dot = double(p.x) * q.x + double(p.z) * q.z;
    ASSERT_GT(
        dot / std::sqrt((double(p.x) * p.x + double(p.z) * p.z) * (double(q.x) * q.x + double(q.z) * q.z)),
        1.0);
    EXPECT_EQ(HorizontalAngle(p, q), 0.0f);
    EXPECT_FLOAT_EQ(Distance({1, 2, 3}, {4, 6, 3}), 5.0f);
    Vec3 v(0, 3, 4);
    v.Normalize();
    EXPECT_FLOAT_EQ(v.Length(), 1.0f);
}
