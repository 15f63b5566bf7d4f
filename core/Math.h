// Value types for positions, directions and orientations: Vec3, Matrix4 and the rotation Quaternion.
#pragma once

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3() = default;
    Vec3(float x, float y, float z) : x(x), y(y), z(z) {}

    Vec3 operator-(const Vec3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    Vec3 operator*(float s) const { return {s * x, s * y, s * z}; }
    // Multiplies by the reciprocal, formed once.
    Vec3 operator/(float s) const;
    Vec3& operator+=(const Vec3& other);

    float Length() const;
    // In place. A zero vector has no direction: its components come out non-finite.
    void Normalize();
};

float Distance(const Vec3& a, const Vec3& b);
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;
constexpr double kRadiansPerDegree = kPi / 180.0;

// Unsigned angle in degrees between the projections of a and b on the x-z plane.
float HorizontalAngle(const Vec3& a, const Vec3& b);

// Sixteen floats, either in row order (m[4r + c]) or in GL order (m[4c + r]); Transpose converts.
struct Matrix4 {
    float m[16];

    Matrix4();
    void Transpose();
};

// A rotation; w is the scalar part. R(q) turns world directions into the rotated frame's own,
// so its rows are that frame's right, up and back axes in world coordinates.
struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    Quaternion() = default;
    Quaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    // From the upper-left 3x3 of a row-order matrix; the result is not normalised further.
    static Quaternion FromMatrix(const float m[16]);
    // Writes R(q) in row order, with (0, 0, 0, 1) as fourth row and column.
    void ToMatrix(float out[16]) const;
    void Normalize();
    // In place: a turn of the given radians about a unit axis.
    void FromAxisAngle(const Vec3& axis, double radians);
    // Rows 0, 1 and 2 of R(q), each normalised.
    Vec3 AxisX() const;
    Vec3 AxisY() const;
    Vec3 AxisZ() const;
    // Hamilton product with this on the left, then normalised; R(p * q) = R(p) R(q).
    Quaternion& operator*=(const Quaternion& q);
};

// Spherical interpolation along the shorter arc; t is not clamped. The result is normalised.
Quaternion Slerp(float t, const Quaternion& from, Quaternion to);
