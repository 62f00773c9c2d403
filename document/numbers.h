// Reading and writing the numbers of the file format, the same in every build and locale.
#pragma once

#include <cstdint>
#include <string>

#include "document/document.h"

// Reads the longest number at the start of text (leading blanks skipped); consumed is the
// count of characters taken, 0 when there is no number. A value beyond a double's range
// reads 0 but counts as consumed.
double ReadNumberPrefix(const char16_t* text, size_t* consumed);
double ReadNumber(const char16_t* text);
// Optional sign and digits only; beyond 32 bits gives INT32_MIN.
int32_t ReadDecimalInteger(const char16_t* text);
// A number cut toward zero to 32 bits; beyond the range gives INT32_MIN.
int32_t ReadTruncatedInteger(const char16_t* text);
// x;y;z, reading stops at the first part that is no number; unread parts are 0.
Vec3 ReadTriple(const char16_t* text);
bool ReadBoolean(const char16_t* text); // TRUE in any letter case

// Fixed-point with the given digits after the point, as C's %.Nf in the C locale;
// not-finite values as inf, -inf, nan.
std::string FormatFixed(double value, int digits);
std::string FormatTriple(const Vec3& v); // three %.3f joined by ';'
