// The scene of a group file seen from above: what zellora-cli plan draws and what a window
// can draw and hit-test, built once from a document.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"
#include "export/flatten.h"

enum PlanKind {
    PlanObject,
    PlanGroup,
    PlanLabel,
    PlanUnloadable // a nested group whose file could not be expanded
};

struct PlanEntry {
    PlanKind Kind = PlanObject;
    std::u16string Name;    // the file it places, as the document holds it (may be empty)
    std::u16string Caption; // drawn beside it: the file's title, or a label's text
    Vec3 Position;
    double Heading = 0; // degrees, from +z towards +x
    size_t Source = 0;  // index into Plan::Sources
    ListLine Top;       // the entry of the drawn document that brings it
};

struct Plan {
    std::u16string Title;
    // The group files the entries come from; with more than one, each gets its own colour
    // and a line in the legend.
    std::vector<std::u16string> Sources;
    std::vector<PlanEntry> Entries;
};

constexpr double Pi = 3.14159265358979323846;

// The heading as the rotation library reports it: the yaw of the entry's whole rotation,
// so that a pitch beyond 90 degrees turns the stroke round.
double PlanHeading(const Vec3& rotation);

// The entries of document as drawn, all from one source: Objects, IObjects (withGroups),
// then Fonts, each its own top entry.
void AddDocumentToPlan(Plan& plan, const GroupDocument& document, size_t source, bool withGroups);

// What the nested groups of document hold, one top-level group after the other, placed as
// the export places them (its own engine, in memory), each coloured by the group file it
// comes from and brought by its top-level group. The engine's reports go to report. With
// stopAtFailure the first group that cannot be expanded ends it (false); otherwise that
// group is added as PlanUnloadable and the others follow. currentFolder stands for the
// current directory, as an export job's CurrentFolder. load, where given, reads the nested
// files (ExportJob::LoadNested).
bool AddFlattenedGroups(Plan& plan, const GroupDocument& document,
                        const std::u16string& currentFolder, ExportReportFunction report,
                        void* reportContext, bool stopAtFailure, LoadNestedFunction load = nullptr,
                        void* loaderContext = nullptr);
