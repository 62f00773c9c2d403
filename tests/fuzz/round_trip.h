// The property every loadable input must have: what was loaded saves, the save loads back
// with the same entries, and from the second save on the bytes no longer change.
#pragma once

#include <string>

// Empty when the property holds; otherwise what went wrong.
std::string CheckLoadSaveRoundTrip(const std::string& input);
