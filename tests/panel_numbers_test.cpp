// How the entry panel shows numbers and which typed texts it takes as numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "panel/panel_numbers.h"
#include "test_support.h"

namespace {

TEST(PanelNumberDisplay, CutsAfterTwoDecimals) {
    struct Case {
        double Value;
        const char16_t* Shown;
    } cases[] = {
        {0, u"0.00"},
        {12, u"12.00"},
        {1.239, u"1.23"},
        {0.29, u"0.28"}, // 0.29 * 100 is 28.999999999999996
        {-0.5, u"-0.50"},
        {-0.005, u"-0.00"},
        {-2.75, u"-2.75"},
        {-1, u"-1.00"},
        {-0.0, u"0.00"},
        {359.999, u"359.99"},
        {-123459389345.92131, u"-123459389345.92"},
        {2147483647.5, u"2147483647.50"},
        {-2147483648.75, u"-2147483648.75"},
        // Beyond 32 bits the integer part is still shown whole.
        {2147483648.25, u"2147483648.25"},
        {-9223372036854775808.0, u"-9223372036854775808.00"},
        {1e19, u"10000000000000000000.00"},
        {-1e19, u"-10000000000000000000.00"},
        {1180591620717411303424.0, u"1180591620717411303424.00"}, // 2^70, exactly
        {1e23, u"99999999999999991611392.00"}, // the double nearest to 1e23, not rounded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPanelNumber(c.Value), c.Shown) << c.Value;
    }
}

TEST(PanelNumberDisplay, LargestDoubleIsWrittenOutExactly) {
    const std::u16string shown = FormatPanelNumber(1.7976931348623157e308);
    EXPECT_EQ(shown.size(), 309u + 3u);
    EXPECT_EQ(shown.substr(0, 10), u"1797693134");
    EXPECT_EQ(shown.substr(shown.size() - 6), u"368.00");
}

TEST(PanelNumberInput, TakesTheNumberAtTheStartOfTheText) {
    struct Case {
        const char16_t* Text;
        bool Taken;
        double Value;
    } cases[] = {
        {u"0.28", true, 0.28}, {u"  -4.5", true, -4.5}, {u"12abc", true, 12},
        {u"1,5", true, 1},     {u"1e3", true, 1000},    {u"", false, 0},
        {u"abc", false, 0},    {u" ", false, 0},        {u"-", false, 0},
        {u"x12", false, 0},    {u".", false, 0},        {u"-360.01", true, -360.01},
    };
    for (const Case& c : cases) {
        double value = 99;
        EXPECT_EQ(ReadPanelNumber(c.Text, PositionMarker, value), c.Taken) << U8(c.Text);
        EXPECT_EQ(value, c.Taken ? c.Value : 99) << U8(c.Text);
    }
}

TEST(PanelNumberInput, RefusesTheMarkerOfTheField) {
    double value = 99;
    EXPECT_FALSE(ReadPanelNumber(u"-123459389345.92131", PositionMarker, value));
    EXPECT_FALSE(ReadPanelNumber(u"-12345938", FactorMarker, value));
    EXPECT_FALSE(ReadPanelNumber(u"-12345938.0abc", FactorMarker, value));
    EXPECT_EQ(value, 99);
    // Each marker is refused only in its own fields.
    EXPECT_TRUE(ReadPanelNumber(u"-12345938", PositionMarker, value));
    EXPECT_EQ(value, -12345938);
    EXPECT_TRUE(ReadPanelNumber(u"-123459389345.92131", FactorMarker, value));
    EXPECT_EQ(value, PositionMarker);
}

TEST(PanelNumberInput, RotationStaysWithinOneTurn) {
    EXPECT_TRUE(IsRotationInRange(360));
    EXPECT_TRUE(IsRotationInRange(-360));
    EXPECT_TRUE(IsRotationInRange(0));
    EXPECT_FALSE(IsRotationInRange(360.01));
    EXPECT_FALSE(IsRotationInRange(-360.01));
    EXPECT_FALSE(IsRotationInRange(std::nan("")));
}

} // namespace
