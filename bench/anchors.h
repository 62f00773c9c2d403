// What the figures are divided by: the work that cannot be avoided, done the plainest way.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

// Reads the file as the loader does and parses it with expat, handlers doing nothing.
bool BareExpatParse(const std::u16string& path);

// Formats the same entries with snprintf into one buffer (texts already in UTF-8) and
// writes it as a save does: temporary file, flush, replace.
struct BareWriterInput {
    struct Entry {
        Vec3 Rotation, Position;
        double BlinkIntervall, ZoomFaktor;
        std::string Name, ShowOn, HideOn, DynamicVisibility;
        int32_t Brightness, GreaterAs, ShowIfBrightness, WeitSichtbar, Fixed;
    };
    struct Label {
        Vec3 Rotation, Position, TopLeft, TopRight, BottomLeft, BottomRight;
        double Fonthoehe, BlinkIntervall;
        int32_t Leuchtend, Color, AlignHorz, AlignVert;
        std::string Name, DefaultText, GroupProperty, DynamicVisibility;
    };
    std::string Header;
    std::vector<Entry> Objects;
    std::vector<Entry> IObjects;
    std::vector<Label> Fonts;
};
BareWriterInput PrepareBareWriter(const GroupDocument& document);
bool BareSnprintfSave(const std::u16string& path, const BareWriterInput& input);
