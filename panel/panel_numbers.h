// How the entry panel shows the numbers of an entry and reads back what the user typed.
#pragma once

#include <string>

// Typed values that equal these are taken for "no number": the reader leaves the marker in
// place when it finds none.
constexpr double PositionMarker = -123459389345.92131; // position and rotation
constexpr double FactorMarker = -12345938.0;           // zoom factor and blink interval

// Rotations are Euler angles; the panel keeps them within one turn either way.
constexpr double RotationLimit = 360.0;

// Two decimals, cut rather than rounded: 1.239 shows as 1.23, -0.5 as -0.50 and 0.29 as 0.28
// (0.29 times 100 is just below 29 in double precision).
std::u16string FormatPanelNumber(double value);

// Reads the number at the start of text, trailing characters ignored. False when there is no
// number there, or it equals marker.
bool ReadPanelNumber(const char16_t* text, double marker, double& value);

inline bool IsRotationInRange(double value) {
    return value >= -RotationLimit && value <= RotationLimit;
}
