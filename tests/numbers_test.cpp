// The one reader and writer of numbers, the same in every build.
#include <gtest/gtest.h>

#include <cmath>

#include "document/numbers.h"

namespace {

TEST(NumberReader, LongestPrefixRule) {
    struct Case {
        const char16_t* Text;
        double Value;
    } cases[] = {
        {u"1.5", 1.5},  {u"  \t\r\n-2", -2}, {u"+3", 3},     {u"1e", 1},  {u"3ergs", 3},
        {u"1e3", 1000}, {u"1E-2x", 0.01},    {u".5", 0.5},   {u"5.", 5},  {u"1.2.3", 1.2},
        {u"inf", 0},    {u"nan", 0},         {u"0x10", 0},   {u"", 0},    {u"-", 0},
        {u".", 0},      {u"1e400", 0},       {u"-1e400", 0}, {u"1,5", 1}, {u"e5", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadNumber(c.Text), c.Value)
            << std::string(c.Text, c.Text + std::char_traits<char16_t>::length(c.Text));
}

TEST(NumberReader, IntegersAndTheirRanges) {
    EXPECT_EQ(ReadDecimalInteger(u"12.7"), 12);
    EXPECT_EQ(ReadDecimalInteger(u" -120"), -120);
    EXPECT_EQ(ReadDecimalInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(ReadDecimalInteger(u"2147483648"), INT32_MIN);
    EXPECT_EQ(ReadDecimalInteger(u"-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(ReadDecimalInteger(u"x"), 0);
    EXPECT_EQ(ReadTruncatedInteger(u"16711680.9"), 16711680);
    EXPECT_EQ(ReadTruncatedInteger(u"-1.7"), -1);
    EXPECT_EQ(ReadTruncatedInteger(u"2147483647.9"), 2147483647);
    EXPECT_EQ(ReadTruncatedInteger(u"2147483648"), INT32_MIN);
    EXPECT_EQ(ReadTruncatedInteger(u"-2147483648.5"), INT32_MIN);
}

TEST(NumberReader, Triples) {
    struct Case {
        const char16_t* Text;
        double X, Y, Z;
    } cases[] = {
        {u"1;2;3", 1, 2, 3},   {u"1;2", 1, 2, 0},       {u"", 0, 0, 0},
        {u"1,5;2;3", 1, 0, 0}, {u"1e400;2;3", 0, 2, 3}, {u"inf;2;3", 0, 0, 0},
        {u"1; 2;3", 1, 2, 3},  {u"1 ;2;3", 1, 0, 0},    {u"1;2;3;4", 1, 2, 3},
    };
    for (const Case& c : cases) {
        Vec3 v = ReadTriple(c.Text);
        EXPECT_EQ(v.x, c.X);
        EXPECT_EQ(v.y, c.Y);
        EXPECT_EQ(v.z, c.Z);
    }
}

TEST(NumberReader, Booleans) {
    EXPECT_TRUE(ReadBoolean(u"TRUE"));
    EXPECT_TRUE(ReadBoolean(u"true"));
    EXPECT_TRUE(ReadBoolean(u"True"));
    EXPECT_FALSE(ReadBoolean(u"yes"));
    EXPECT_FALSE(ReadBoolean(u"TRUE "));
    EXPECT_FALSE(ReadBoolean(u""));
}

TEST(NumberWriter, FixedPointAsC) {
    EXPECT_EQ(FormatFixed(-0.0004, 3), "-0.000");
    EXPECT_EQ(FormatFixed(0.0005, 3), "0.001"); // 0.0005 is stored a little above
    EXPECT_EQ(FormatFixed(1.0005, 3), "1.000"); // and 1.0005 a little below
    EXPECT_EQ(FormatFixed(1.0, 6), "1.000000");
    EXPECT_EQ(FormatFixed(1e20, 3), "100000000000000000000.000");
    EXPECT_EQ(FormatFixed(INFINITY, 3), "inf");
    EXPECT_EQ(FormatFixed(-INFINITY, 6), "-inf");
    EXPECT_EQ(FormatFixed(-NAN, 3), "nan");
    EXPECT_EQ(FormatTriple({1, -2.5, 1e-9}), "1.000;-2.500;0.000");
}

} // namespace
