// Double-precision vectors and a seeded random sequence for building the embedded models.
#pragma once

#include <cmath>
#include <cstdint>

namespace models {

struct V3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(V3 a) {
    return std::sqrt(Dot(a, a));
}
inline V3 Normalized(V3 a) {
    const double length = Length(a);
    return length > 0.0 ? a * (1.0 / length) : a;
}

constexpr double kPi = 3.14159265358979323846;

// The standard library's distributions differ between implementations; this sequence does not, so
// every run of the generator writes the same tables.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed != 0 ? seed : 0x9E3779B9u) {}
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 4294967296.0;
    }
    double Range(double low, double high) { return low + (high - low) * Next(); }

private:
    uint32_t state;
};

} // namespace models
