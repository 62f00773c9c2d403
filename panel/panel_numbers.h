// How the entry panel shows the numbers of an entry and reads back what the user typed.
#pragma once

#include <string>

// Typed values that equal these are taken for "no number": the reader leaves the marker in
// place when it finds none.
constexpr double PositionMarker = -123459389345.92131; // position and rotation
constexpr double FactorMarker = -12345938.0;           // zoom factor and blink interval

// Rotations are Euler angles; the panel keeps them within one turn either way.
constexpr double RotationLimit = 360.0;

// The decimals a save writes: three for positions and rotations, six for the zoom factor and
// the blink interval.
constexpr int PositionDecimals = 3;
constexpr int FactorDecimals = 6;

// Rounded to nearest with at most mostDecimals decimals, as a save writes the value, and at
// least two: 5.8 shows as 5.80, 10.375 as 10.375, 0.29 as 0.29. Large values are written out
// whole.
std::u16string FormatPanelNumber(double value, int mostDecimals);

// Reads the number at the start of text, trailing characters ignored. False when there is no
// number there, or it equals marker.
bool ReadPanelNumber(const char16_t* text, double marker, double& value);

inline bool IsRotationInRange(double value) {
    return value >= -RotationLimit && value <= RotationLimit;
}
