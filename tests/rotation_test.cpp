#include "rotation/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

struct Triple {
    double v[3];
};

std::ostream& operator<<(std::ostream& os, const Triple& t) {
    return os << "(" << t.v[0] << ", " << t.v[1] << ", " << t.v[2] << ")";
}

struct Result {
    Triple position;
    Triple rotation;
};

Result turn(Triple position, Triple rotation, Triple group) {
    Result r{};
    CDreheGroupObjekt(r.position.v, r.rotation.v, position.v, rotation.v, group.v);
    return r;
}

// Double-precision orientation in the library's convention, to judge the composed angles.
struct Matrix {
    double m[3][3];
};

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

Matrix orientation(const Triple& degrees) {
    const double k = 3.14159265358979323846 / 180;
    const double y = degrees.v[0] * k, q = degrees.v[1] * k, p = degrees.v[2] * k;
    const Matrix z{{{std::cos(q), std::sin(q), 0}, {-std::sin(q), std::cos(q), 0}, {0, 0, 1}}};
    const Matrix x{{{1, 0, 0}, {0, std::cos(p), std::sin(p)}, {0, -std::sin(p), std::cos(p)}}};
    const Matrix yaw{{{std::cos(y), 0, -std::sin(y)}, {0, 1, 0}, {std::sin(y), 0, std::cos(y)}}};
    return product(product(z, x), yaw);
}

bool isFloat(double v) {
    return static_cast<double>(static_cast<float>(v)) == v;
}

void expectNear(const Triple& actual, const Triple& expected, double tolerance) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual.v[i], expected.v[i], tolerance) << "component " << i;
}

TEST(Rotation, NoRotationGivesExactValues) {
    const Result zero = turn({0, 0, 0}, {0, 0, 0}, {0, 0, 0});
    const Result five = turn({5, 5, 5}, {0, 0, 0}, {0, 0, 0});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(zero.position.v[i], 0.0);
        EXPECT_EQ(zero.rotation.v[i], 0.0);
        // A negative zero would be written into the exported file as "-0".
        EXPECT_FALSE(std::signbit(zero.rotation.v[i])) << "component " << i;
        EXPECT_EQ(five.position.v[i], 5.0);
    }
}

TEST(Rotation, GroupRotationTurnsPosition) {
    struct Case {
        Triple group, position, expected;
    } cases[] = {
        {{90, 0, 0}, {1, 0, 0}, {0, 0, -1}},   {{90, 0, 0}, {0, 0, 1}, {1, 0, 0}},
        {{0, 90, 0}, {1, 2, 3}, {-2, 1, 3}},   {{0, 0, 90}, {1, 2, 3}, {1, -3, 2}},
        {{180, 0, 0}, {1, 2, 3}, {-1, 2, -3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "group " << c.group);
        expectNear(turn(c.position, {0, 0, 0}, c.group).position, c.expected, 1e-6);
    }
    // The single-precision cosine of 90 degrees is not zero.
    EXPECT_NEAR(turn({1, 0, 0}, {0, 0, 0}, {90, 0, 0}).position.v[0], -4.37e-8, 1e-10);
}

TEST(Rotation, ComposedAnglesAsExpected) {
    struct Case {
        Triple rotation, group, expected;
        double tolerance;
    } cases[] = {
        {{30, 0, 0}, {60, 0, 0}, {90, 0, 0}, 1e-4},
        {{200, 0, 0}, {0, 0, 0}, {-160, 0, 0}, 1e-4},
        {{750, 0, 0}, {0, 0, 0}, {30, 0, 0}, 1e-3},
        {{0, 0, -30}, {0, 0, 0}, {0, 0, -30}, 1e-4},
        {{10, 20, 30}, {0, 0, 0}, {10, 20, 30}, 2e-5},
        {{1, 2, 3}, {0, 0, 0}, {1.0001, 1.99998, 3}, 1e-4},
        // Small yaw and roll angles are lost to the single-precision cosine; pitch is not.
        {{0.01, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0},
        {{0, 0.01, 0}, {0, 0, 0}, {0, 0, 0}, 0},
        {{0, 0, 0.01}, {0, 0, 0}, {0, 0, 0.01}, 1e-7},
        {{0.1, 0, 0}, {0, 0, 0}, {0.099, 0, 0}, 1e-3},
        // Looking straight up: the turn about the vertical is reported as roll.
        {{45, 0, 90}, {0, 0, 0}, {0, -45, 90}, 1e-4},
        // Near 90 degrees the arcsine of a float loses about 0.02 degrees.
        {{0, 0, 45}, {0, 0, 45}, {0, 0, 89.98}, 1e-3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation << ", group " << c.group);
        expectNear(turn({0, 0, 0}, c.rotation, c.group).rotation, c.expected, c.tolerance);
    }
}

TEST(Rotation, PitchBeyondNinetyFlipsYawAndRoll) {
    const Triple r = turn({0, 0, 0}, {0, 0, 120}, {0, 0, 0}).rotation;
    EXPECT_NEAR(std::fabs(r.v[0]), 180, 1e-4);
    EXPECT_NEAR(std::fabs(r.v[1]), 180, 1e-4);
    EXPECT_NEAR(r.v[2], 60, 1e-4);
}

TEST(Rotation, ResultReproducesCombinedOrientation) {
    const Triple rotations[] = {
        {10, 20, 30}, {-135, 60, -75}, {300, -200, 10}, {45, 0, 90}, {0, 170, -89}};
    const Triple groups[] = {{0, 0, 0}, {90, 0, 0}, {-40, 25, 65}, {180, -90, 30}};
    for (const Triple& rot : rotations) {
        for (const Triple& group : groups) {
            SCOPED_TRACE(testing::Message() << "rotation " << rot << ", group " << group);
            const Result r = turn({7, -3, 11}, rot, group);
            const Triple& out = r.rotation;
            // The library computes in single precision; every result is a widened float.
            for (int i = 0; i < 3; ++i) {
                EXPECT_TRUE(isFloat(out.v[i])) << out.v[i];
                EXPECT_TRUE(isFloat(r.position.v[i])) << r.position.v[i];
            }
            EXPECT_LE(std::fabs(out.v[0]), 180);
            EXPECT_LE(std::fabs(out.v[1]), 180);
            EXPECT_LE(std::fabs(out.v[2]), 90);

            const Matrix g = orientation(group);
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(r.position.v[j], 7 * g.m[0][j] - 3 * g.m[1][j] + 11 * g.m[2][j], 1e-5)
                    << "position " << j;

            const Matrix expected = product(orientation(rot), g);
            const Matrix actual = orientation(out);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    EXPECT_NEAR(actual.m[i][j], expected.m[i][j], 1e-4)
                        << "element " << i << "," << j;
        }
    }
}

// The same bits from every build, optimised or not, native or Windows: each expected value is
// written as the float it must be, and a single dropped rounding anywhere changes a digit.
TEST(Rotation, EveryBuildGivesTheSameFloats) {
    struct Case {
        Triple position, rotation, group;
        float outPosition[3], outRotation[3];
    } cases[] = {
        {{7, -3, 11},
         {10, 20, 30},
         {-40, 25, 65},
         {2.70347786f, -9.86820889f, 8.62030411f},
         {48.790123f, 126.55304f, 69.65448f}},
        {{7, -3, 11},
         {-135, 60, -75},
         {180, -90, 30},
         {2.99999976f, -11.5621777f, -6.02627945f},
         {-86.0328674f, -135.504089f, -14.4775114f}},
        {{-20.6, 4.2, 12},
         {300, -200, 10},
         {90, 0, 0},
         {12.000001f, 4.19999981f, 20.6000004f},
         {29.9999943f, 160, 10}},
        {{150, 5.8, 5.9},
         {1, 2, 3},
         {0, 0, 45},
         {150, -0.0707106069f, 8.27314949f},
         {1.49226546f, 3.05652618f, 47.9907913f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation << ", group " << c.group);
        const Result r = turn(c.position, c.rotation, c.group);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(r.position.v[i], static_cast<double>(c.outPosition[i])) << "position " << i;
            EXPECT_EQ(r.rotation.v[i], static_cast<double>(c.outRotation[i])) << "rotation " << i;
        }
    }
}

TEST(Rotation, OutputsMayBeTheInputArrays) {
    const Triple position{1, 2, 3}, rotation{10, 20, 30}, group{-40, 25, 65};
    const Result separate = turn(position, rotation, group);

    double pos[3] = {1, 2, 3}, rot[3] = {10, 20, 30};
    CDreheGroupObjekt(pos, rot, pos, rot, group.v);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pos[i], separate.position.v[i]);
        EXPECT_EQ(rot[i], separate.rotation.v[i]);
    }
}

TEST(Rotation, NotANumberPassesThrough) {
    const Result r = turn({1, 2, 3}, {NAN, 0, 0}, {0, 0, 0});
    for (double angle : r.rotation.v)
        EXPECT_TRUE(std::isnan(angle));
    expectNear(r.position, {1, 2, 3}, 0);
}

} // namespace
