#include "document/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/text.h"

namespace {

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char16_t c) {
    return c >= '0' && c <= '9';
}

size_t SkipBlanks(const char16_t* text) {
    size_t i = 0;
    while (IsBlank(text[i]))
        ++i;
    return i;
}

// Length of the digits-with-one-point part at text, and whether it held a digit.
size_t ScanMantissa(const char16_t* text, bool& sawDigit) {
    size_t i = 0;
    bool sawPoint = false;
    sawDigit = false;
    for (;; ++i) {
        if (IsDigit(text[i]))
            sawDigit = true;
        else if (text[i] == '.' && !sawPoint)
            sawPoint = true;
        else
            return i;
    }
}

size_t ScanExponent(const char16_t* text) {
    if (text[0] != 'e' && text[0] != 'E')
        return 0;
    size_t i = 1;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = i;
    while (IsDigit(text[i]))
        ++i;
    return i > digits ? i : 0; // an exponent without digits is not taken
}

constexpr int32_t OutOfRangeInteger = std::numeric_limits<int32_t>::min();

} // namespace

double ReadNumberPrefix(const char16_t* text, size_t* consumed) {
    size_t start = SkipBlanks(text);
    size_t i = start;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    bool sawDigit = false;
    size_t mantissa = ScanMantissa(text + i, sawDigit);
    if (!sawDigit) {
        *consumed = 0;
        return 0;
    }
    size_t length = mantissa + ScanExponent(text + i + mantissa);
    // Numbers in files are short; a long one gets a buffer of its own.
    char small[64];
    std::string large;
    char* ascii = small;
    if (length > sizeof small) {
        large.resize(length);
        ascii = &large[0];
    }
    for (size_t k = 0; k < length; ++k)
        ascii[k] = static_cast<char>(text[i + k]);
    *consumed = i + length;
    double value = 0;
    auto result = std::from_chars(ascii, ascii + length, value);
    if (result.ec != std::errc())
        return 0;
    return negative ? -value : value;
}

double ReadNumber(const char16_t* text) {
    size_t consumed = 0;
    return ReadNumberPrefix(text, &consumed);
}

int32_t ReadDecimalInteger(const char16_t* text) {
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    int64_t value = 0;
    bool overflow = false;
    for (; IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(1) << 32) {
            overflow = true;
            value = int64_t(1) << 32;
        }
    }
    if (negative)
        value = -value;
    if (overflow || value > std::numeric_limits<int32_t>::max() ||
        value < std::numeric_limits<int32_t>::min())
        return OutOfRangeInteger;
    return static_cast<int32_t>(value);
}

int32_t ReadTruncatedInteger(const char16_t* text) {
    double value = ReadNumber(text);
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return OutOfRangeInteger;
    return static_cast<int32_t>(value);
}

Vec3 ReadTriple(const char16_t* text) {
    double parts[3] = {0, 0, 0};
    size_t pos = 0;
    for (int k = 0; k < 3; ++k) {
        size_t consumed = 0;
        double value = ReadNumberPrefix(text + pos, &consumed);
        if (consumed == 0)
            break;
        parts[k] = value;
        pos += consumed;
        if (text[pos] != ';')
            break;
        ++pos;
    }
    return Vec3{parts[0], parts[1], parts[2]};
}

bool ReadBoolean(const char16_t* text) {
    return NameIs(text, "TRUE");
}

std::string FormatFixed(double value, int digits) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    std::array<char, 400> buffer; // enough for the largest double with 6 decimals
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed, digits);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatTriple(const Vec3& v) {
    return FormatFixed(v.x, 3) + ';' + FormatFixed(v.y, 3) + ';' + FormatFixed(v.z, 3);
}
