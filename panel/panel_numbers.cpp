#include "panel/panel_numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "document/numbers.h"

namespace {

std::u16string Widened(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Integer part i and two cut decimals h, the minus sign written by hand where i is 0.
template <typename Integer> std::u16string WithIntegerPart(double value, Integer i) {
    const double fraction = (value - double(i)) * 100.0;
    const long long h = std::llabs(static_cast<long long>(fraction));
    const long long whole = static_cast<long long>(i);
    char text[48];
    if (value > -1.0 && value < 0.0) {
        std::snprintf(text, sizeof text, "-%lld.%02lld", whole, h);
    } else {
        std::snprintf(text, sizeof text, "%lld.%02lld", whole, h);
    }
    return Widened(text);
}

} // namespace

std::u16string FormatPanelNumber(double value) {
    if (!std::isfinite(value)) {
        return Widened(FormatFixed(value, 2));
    }
    if (value > -2147483649.0 && value < 2147483648.0) {
        return WithIntegerPart(value, static_cast<int32_t>(value));
    }
    if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
        return WithIntegerPart(value, static_cast<int64_t>(value));
    }
    // From 2^63 on every double is a whole number: its exact digits and no fraction.
    return Widened(FormatFixed(value, 0)) + u".00";
}

bool ReadPanelNumber(const char16_t* text, double marker, double& value) {
    size_t consumed = 0;
    const double read = ReadNumberPrefix(text, &consumed);
    if (consumed == 0 || read == marker) {
        return false;
    }
    value = read;
    return true;
}
