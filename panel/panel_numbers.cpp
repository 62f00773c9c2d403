#include "panel/panel_numbers.h"

#include "document/numbers.h"

std::u16string FormatPanelNumber(double value, int mostDecimals) {
    // Rounded as the file writes it, so that the text reads back to what a save stores; the
    // zeros behind the second decimal say nothing and are left off.
    std::string fixed = FormatFixed(value, mostDecimals);
    const size_t point = fixed.find('.');
    while (point != std::string::npos && fixed.size() > point + 3 && fixed.back() == '0') {
        fixed.pop_back();
    }
    return std::u16string(fixed.begin(), fixed.end());
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
