#include "camera/CardinalSpline.h"

#include <gtest/gtest.h>

#include <cmath>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(CardinalSpline, TwoPointsGiveTheEasedStraightLine) {
    CardinalSpline spline(0.5f);
    spline.AddPoint({0, 0, 0});
    spline.AddPoint({1, 0, 0});
    EXPECT_EQ(spline.Evaluate(1, 0.0f)->x, 0.0f);
    EXPECT_EQ(spline.Evaluate(1, 0.25f)->x, 0.203125f);
    EXPECT_EQ(spline.Evaluate(1, 0.5f)->x, 0.5f);
    EXPECT_EQ(spline.Evaluate(1, 1.0f)->x, 1.0f);
    EXPECT_EQ(spline.Evaluate(1, -0.0f)->x, 0.0f);
    EXPECT_GE(spline.Evaluate(1, 1.0000001f)->x, 1.0f);
    // New points take effect at the next evaluation.
    spline.ClearPoints();
    spline.AddPoint({0, 2, 0});
    spline.AddPoint({0, 4, 0});
    EXPECT_EQ(spline.Evaluate(1, 0.5f)->y, 3.0f);
}

TEST(CardinalSpline, InnerSegmentsUseTheirNeighbours) {
    const Vec3 p[4] = {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, 0, -2}};
    CardinalSpline catmullRom(0.5f);
    for (const Vec3& point : p) {
        catmullRom.AddPoint(point);
    }
    EXPECT_EQ(catmullRom.Evaluate(2, 0.0f)->y, 2.0f);
    EXPECT_EQ(catmullRom.Evaluate(2, 1.0f)->z, 1.0f);
    // Textbook Catmull-Rom midpoint: (-a + 9b + 9c - d) / 16; the first segment repeats P0.
    auto mid = [](float a, float b, float c, float d) { return (-a + 9 * b + 9 * c - d) / 16; };
    EXPECT_NEAR(catmullRom.Evaluate(2, 0.5f)->x, mid(p[0].x, p[1].x, p[2].x, p[3].x), 1e-6f);
    EXPECT_NEAR(catmullRom.Evaluate(1, 0.5f)->y, mid(p[0].y, p[0].y, p[1].y, p[2].y), 1e-6f);
    EXPECT_NEAR(catmullRom.Evaluate(3, 0.5f)->z, mid(p[1].z, p[2].z, p[3].z, p[3].z), 1e-6f);
    // Tension 0: zero tangents, so the Hermite blend 3u^2 - 2u^3 alone.
    CardinalSpline flat(0.0f);
    flat.AddPoint(p[1]);
    flat.AddPoint(p[2]);
    EXPECT_NEAR(flat.Evaluate(1, 0.25f)->x, 1 + 2 * 0.15625f, 1e-6f);
}

TEST(CardinalSpline, RefusalsWriteTheirLineAndReadNothingOutside) {
    CardinalSpline spline(0.5f);
    CaptureStdout();
    // Fewer than two points: no segment exists.
    EXPECT_FALSE(spline.Evaluate(1, 0.5f));
    spline.AddPoint({0, 0, 0});
    spline.AddPoint({1, 1, 1});
    const auto kept = spline.Evaluate(1, 0.5f);
    EXPECT_FALSE(spline.Evaluate(1, 1.0000002f));
    EXPECT_FALSE(spline.Evaluate(1, -1e-7f));
    EXPECT_FALSE(spline.Evaluate(1, std::nanf("")));
    EXPECT_FALSE(spline.Evaluate(0, 0.5f));
    EXPECT_FALSE(spline.Evaluate(2, 0.5f)); // above n - 1
    EXPECT_FALSE(spline.Evaluate(-1, 0.5f));
    EXPECT_FALSE(spline.Evaluate(0, 2.0f)); // u is tested first
    EXPECT_EQ(GetCapturedStdout(), "ERROR: bad segment number!\n"
                                   "ERROR: bad u value!\nERROR: bad u value!\nERROR: bad u value!\n"
                                   "ERROR: bad segment number!\nERROR: bad segment number!\n"
                                   "ERROR: bad segment number!\nERROR: bad u value!\n");
    ASSERT_TRUE(kept);
    EXPECT_EQ(spline.coefficients[3][0], 0.0f); // refusals left the last cubic in place
    EXPECT_EQ(spline.coefficients[2][1], 0.5f);
}
