// The picture that zellora-cli plan draws: the entries of a group seen from above, as SVG.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

enum PlanKind { PlanObject, PlanGroup, PlanLabel };

struct PlanEntry {
    PlanKind Kind = PlanObject;
    std::u16string Name;    // the file it places, as the document holds it (may be empty)
    std::u16string Caption; // drawn beside it: the file's title, or a label's text
    Vec3 Position;
    double Heading = 0; // degrees, from +z towards +x
    size_t Source = 0;  // index into Plan::Sources
};

struct Plan {
    std::u16string Title;
    // The group files the entries come from; with more than one, each gets its own colour
    // and a line in the legend.
    std::vector<std::u16string> Sources;
    std::vector<PlanEntry> Entries;
};

// The whole SVG document in UTF-8.
std::string PlanSvg(const Plan& plan);
