// How the entry panel shows numbers and which typed texts it takes as numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "document/numbers.h"
#include "panel/panel_numbers.h"
#include "test_support.h"

namespace {

// What the panel shows reads back to what a save writes: rounded, never cut, two decimals at
// least.
TEST(PanelNumberDisplay, RoundsToTheDecimalsASaveWrites) {
    struct Case {
        double Value;
        int MostDecimals;
        const char16_t* Shown;
    } cases[] = {
        {5.8, PositionDecimals, u"5.80"},
        {1234.56, PositionDecimals, u"1234.56"},
        {0.29, PositionDecimals, u"0.29"},
        {10.375, PositionDecimals, u"10.375"},
        {1234.567, PositionDecimals, u"1234.567"},
        {-12345.678, PositionDecimals, u"-12345.678"},
        {0, PositionDecimals, u"0.00"},
        {12, PositionDecimals, u"12.00"},
        {-0.5, PositionDecimals, u"-0.50"},
        {-0.005, PositionDecimals, u"-0.005"},
        {1.2344, PositionDecimals, u"1.234"},
        {1.2346, PositionDecimals, u"1.235"},
        {359.9996, PositionDecimals, u"360.00"},
        {-123459389345.92131, PositionDecimals, u"-123459389345.921"},
        {1e23, PositionDecimals, u"99999999999999991611392.00"}, // the double nearest to 1e23
        {1, FactorDecimals, u"1.00"},
        {0.123, FactorDecimals, u"0.123"},
        {0.1234567, FactorDecimals, u"0.123457"},
        {2.5e-7, FactorDecimals, u"0.00"},
        {3000000000.5, FactorDecimals, u"3000000000.50"},
        {-12345938.0, FactorDecimals, u"-12345938.00"},
    };
    for (const Case& c : cases) {
        const std::u16string shown = FormatPanelNumber(c.Value, c.MostDecimals);
        EXPECT_EQ(shown, c.Shown) << c.Value;
        const std::u16string saved = U16(FormatFixed(c.Value, c.MostDecimals));
        EXPECT_EQ(ReadNumber(shown.c_str()), ReadNumber(saved.c_str())) << c.Value;
    }
}

TEST(PanelNumberDisplay, LargestDoubleIsWrittenOutExactly) {
    const std::u16string shown = FormatPanelNumber(1.7976931348623157e308, PositionDecimals);
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
