#include "core/Math.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this distance from 1 the cosine of the arc is too close to 1 for sin(omega) to divide by.
constexpr double kSlerpLinearThreshold = 9.9e-8;

} // namespace

Vec3 Vec3::operator/(float s) const {
    const float reciprocal = 1.0f / s;
    return *this * reciprocal;
}

Vec3& Vec3::operator+=(const Vec3& other) {
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

float Vec3::Length() const {
    return std::sqrt(x * x + y * y + z * z);
}

void Vec3::Normalize() {
    *this = *this / Length();
}

float Distance(const Vec3& a, const Vec3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float HorizontalAngle(const Vec3& a, const Vec3& b) {
    const double dot = double(a.x) * b.x + double(a.z) * b.z;
    const double aSquared = double(a.x) * a.x + double(a.z) * a.z;
    const double bSquared = double(b.x) * b.x + double(b.z) * b.z;
    // The root of the product (not the product of the roots) makes equal vectors give exactly 1.
    // Rounding can carry parallel vectors of different lengths a hair past +-1, where acos has no value.
    const double cosine = std::clamp(dot / std::sqrt(aSquared * bSquared), -1.0, 1.0);
    return static_cast<float>(std::acos(cosine) * kDegreesPerRadian);
}

Matrix4::Matrix4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

void Matrix4::Transpose() {
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            std::swap(m[4 * i + j], m[4 * j + i]);
        }
    }
}

Quaternion Quaternion::FromMatrix(const float m[16]) {
    auto at = [m](int row, int column) { return double(m[4 * row + column]); };
    const double d = 1.0 + at(0, 0) + at(1, 1) + at(2, 2);
    double qx, qy, qz, qw;
    if (d > 0.0) {
        const double s = 0.5 / std::sqrt(d);
        qx = (at(2, 1) - at(1, 2)) * s;
        qy = (at(0, 2) - at(2, 0)) * s;
        qz = (at(1, 0) - at(0, 1)) * s;
        qw = 0.25 / s;
    } else if (at(0, 0) > at(1, 1) && at(0, 0) > at(2, 2)) {
        const double s = 2.0 * std::sqrt(1.0 + at(0, 0) - at(1, 1) - at(2, 2));
        qx = 0.25 * s;
        qy = (at(0, 1) + at(1, 0)) / s;
        qz = (at(0, 2) + at(2, 0)) / s;
        qw = (at(2, 1) - at(1, 2)) / s;
    } else if (at(1, 1) >= at(0, 0) && at(1, 1) > at(2, 2)) {
        // A tie of the first two diagonal elements above the third falls to the later of the two:
        // the third case would take the root of zero and divide by it.
        const double s = 2.0 * std::sqrt(1.0 + at(1, 1) - at(0, 0) - at(2, 2));
        qx = (at(0, 1) + at(1, 0)) / s;
        qy = 0.25 * s;
        qz = (at(1, 2) + at(2, 1)) / s;
        qw = (at(0, 2) - at(2, 0)) / s;
    } else {
        const double s = 2.0 * std::sqrt(1.0 + at(2, 2) - at(0, 0) - at(1, 1));
        qx = (at(0, 2) + at(2, 0)) / s;
        qy = (at(1, 2) + at(2, 1)) / s;
        qz = 0.25 * s;
        qw = (at(1, 0) - at(0, 1)) / s;
    }
    return {float(qx), float(qy), float(qz), float(qw)};
}

void Quaternion::ToMatrix(float out[16]) const {
    out[0] = 1 - 2 * (y * y + z * z);
    out[1] = 2 * (x * y - z * w);
    out[2] = 2 * (x * z + y * w);
    out[3] = 0;
    out[4] = 2 * (x * y + z * w);
    out[5] = 1 - 2 * (x * x + z * z);
    out[6] = 2 * (y * z - x * w);
    out[7] = 0;
    out[8] = 2 * (x * z - y * w);
    out[9] = 2 * (y * z + x * w);
    out[10] = 1 - 2 * (x * x + y * y);
    out[11] = 0;
    out[12] = 0;
    out[13] = 0;
    out[14] = 0;
    out[15] = 1;
}

void Quaternion::Normalize() {
    const float length = std::sqrt(x * x + y * y + z * z + w * w);
    // An all-zero quaternion is no rotation at all; the identity is the harmless stand-in.
    if (length == 0.0f) {
        *this = Quaternion();
        return;
    }
    x /= length;
    y /= length;
    z /= length;
    w /= length;
}

void Quaternion::FromAxisAngle(const Vec3& axis, double radians) {
    const double half = radians * 0.5;
    const double sine = std::sin(half);
    x = float(sine * axis.x);
    y = float(sine * axis.y);
    z = float(sine * axis.z);
    w = float(std::cos(half));
    Normalize();
}

Vec3 Quaternion::AxisX() const {
    Vec3 axis(1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w));
    axis.Normalize();
    return axis;
}

Vec3 Quaternion::AxisY() const {
    Vec3 axis(2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w));
    axis.Normalize();
    return axis;
}

Vec3 Quaternion::AxisZ() const {
    Vec3 axis(2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y));
    axis.Normalize();
    return axis;
}

Quaternion& Quaternion::operator*=(const Quaternion& q) {
    const Quaternion p = *this;
    x = p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y;
    y = p.w * q.y + p.y * q.w + p.z * q.x - p.x * q.z;
    z = p.w * q.z + p.z * q.w + p.x * q.y - p.y * q.x;
    w = p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z;
    Normalize();
    return *this;
}

Quaternion Slerp(float t, const Quaternion& from, Quaternion to) {
    double cosine =
        double(from.x) * to.x + double(from.y) * to.y + double(from.z) * to.z + double(from.w) * to.w;
    if (cosine < 0.0) {
        cosine = -cosine;
        to = Quaternion(-to.x, -to.y, -to.z, -to.w);
    }
    double a, b;
    if (1.0 - cosine > kSlerpLinearThreshold) {
        const double omega = std::acos(cosine);
        const double sineOmega = std::sin(omega);
        a = std::sin((1.0 - t) * omega) / sineOmega;
        b = std::sin(t * omega) / sineOmega;
    } else {
        a = 1.0 - t;
        b = t;
    }
    Quaternion result(float(a * from.x + b * to.x), float(a * from.y + b * to.y),
                      float(a * from.z + b * to.z), float(a * from.w + b * to.w));
    result.Normalize();
    return result;
}
