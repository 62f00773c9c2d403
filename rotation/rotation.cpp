#include "rotation/rotation.h"

#include <cmath>

#ifdef _WIN32
#include <windows.h>
#endif

// The library computes in single precision throughout; the results in the exported files carry
// about seven significant digits and are expected to be reproducible bit for bit on every build.

namespace {

// The float nearest to pi/180, held as a double.
const double DegreeInRadians = 0.01745329238474369;

// Below this horizontal length of the forward vector the entry looks straight up or down.
const float VerticalLimit = 1e-4f;

// Angles closer to zero than this are written as 0.
const float TinyAngle = 1e-5f;

struct Mat3 {
    float m[3][3];
};

struct Vec3f {
    float x, y, z;
};

// Every value narrowed to single precision passes through here. A plain conversion is not
// enough in practice: GCC 12 at -O3 turned a vectorised narrowing and the widening after it
// into nothing, so the library returned unrounded doubles, and a float variable in between
// did not stop it. A volatile object must be written and read back exactly as the program
// says, so what continues is a 32-bit float in every build, with any optimisation.
float Single(double value) {
    volatile float stored = static_cast<float>(value);
    return stored;
}

float ToRadians(float degrees) {
    return Single(degrees * DegreeInRadians);
}

float ToDegrees(float radians) {
    return Single(radians / DegreeInRadians);
}

float Sine(float a) {
    return Single(std::sin(static_cast<double>(a)));
}

float Cosine(float a) {
    return Single(std::cos(static_cast<double>(a)));
}

Mat3 Identity() {
    return Mat3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

Mat3 RotationX(float a) {
    const float s = Sine(a), c = Cosine(a);
    return Mat3{{{1, 0, 0}, {0, c, s}, {0, -s, c}}};
}

Mat3 RotationY(float a) {
    const float s = Sine(a), c = Cosine(a);
    return Mat3{{{c, 0, -s}, {0, 1, 0}, {s, 0, c}}};
}

Mat3 RotationZ(float a) {
    const float s = Sine(a), c = Cosine(a);
    return Mat3{{{c, s, 0}, {-s, c, 0}, {0, 0, 1}}};
}

// Each element is accumulated in float, rounded after every product and every addition.
Mat3 Multiply(const Mat3& a, const Mat3& b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                const float term = a.m[i][k] * b.m[k][j];
                sum = sum + term;
            }
            r.m[i][j] = sum;
        }
    }
    return r;
}

// Radians in; the roll about Z acts first on a point, then the pitch about X, then the yaw.
Mat3 Orientation(float yaw, float roll, float pitch) {
    return Multiply(Multiply(Multiply(Identity(), RotationZ(roll)), RotationX(pitch)),
                    RotationY(yaw));
}

// Row vector times matrix; each component is summed in double and rounded once.
Vec3f Transform(const Vec3f& v, const Mat3& m) {
    float out[3];
    for (int j = 0; j < 3; ++j) {
        const double sum = static_cast<double>(v.x) * m.m[0][j] +
                           static_cast<double>(v.y) * m.m[1][j] +
                           static_cast<double>(v.z) * m.m[2][j];
        out[j] = Single(sum);
    }
    return Vec3f{out[0], out[1], out[2]};
}

float Length(float a, float b) {
    const float squares = Single(static_cast<double>(a) * a + static_cast<double>(b) * b);
    return Single(std::sqrt(static_cast<double>(squares)));
}

float ArcCosine(float v) {
    return Single(std::acos(static_cast<double>(v)));
}

float ArcSine(float v) {
    return Single(std::asin(static_cast<double>(v)));
}

// Angle of (x, z) measured from +Z towards +X.
float Heading(float x, float z) {
    if (x == 0 && z == 0)
        return 0;
    const float l = Length(x, z);
    const float a = ArcCosine(z / l);
    return x / l < 0 ? -a : a;
}

// Angle of (x, y) measured from +Y towards -X.
float Roll(float x, float y) {
    if (x == 0 && y == 0)
        return 0;
    const float l = Length(x, y);
    const float a = ArcCosine(y / l);
    return x / l > 0 ? -a : a;
}

float ZeroTiny(float degrees) {
    return degrees > -TinyAngle && degrees < TinyAngle ? 0.0f : degrees;
}

Vec3f Narrow(const double* v) {
    return Vec3f{Single(v[0]), Single(v[1]), Single(v[2])};
}

// Angle triples are stored as (yaw, roll, pitch).
Mat3 OrientationOf(const Vec3f& degrees) {
    return Orientation(ToRadians(degrees.x), ToRadians(degrees.y), ToRadians(degrees.z));
}

} // namespace

extern "C" ROTATION_API void ROTATION_CALL CDreheGroupObjekt(double* outPosition,
                                                             double* outRotation,
                                                             const double* position,
                                                             const double* rotation,
                                                             const double* groupRotation) {
    const Vec3f pos = Narrow(position);
    const Mat3 entry = OrientationOf(Narrow(rotation));
    const Mat3 group = OrientationOf(Narrow(groupRotation));
    const Mat3 m = Multiply(entry, group);

    const Vec3f forward{m.m[2][0], m.m[2][1], m.m[2][2]};
    const float pitch = -ArcSine(forward.y);
    const float yaw =
        Length(forward.x, forward.z) < VerticalLimit ? 0.0f : Heading(forward.x, forward.z);

    const Vec3f up{m.m[1][0], m.m[1][1], m.m[1][2]};
    const Vec3f level =
        Transform(Transform(up, Orientation(-yaw, 0, 0)), Orientation(0, 0, -pitch));
    const float rollAngle = Roll(level.x, level.y);

    const Vec3f turned = Transform(pos, group);

    outRotation[0] = ZeroTiny(ToDegrees(yaw));
    outRotation[1] = ZeroTiny(ToDegrees(rollAngle));
    outRotation[2] = ZeroTiny(ToDegrees(pitch));
    outPosition[0] = turned.x;
    outPosition[1] = turned.y;
    outPosition[2] = turned.z;
}

#ifdef _WIN32
// Nothing to set up or tear down: the library keeps no state.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#endif
