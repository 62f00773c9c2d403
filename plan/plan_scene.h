// The plan that a window shows of an open document, built anew after each change. The nested
// group files are read once and kept, until a name of the document's groups changes.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "plan/plan_view.h"

struct PlanScene {
    Plan Drawn;
    std::vector<PlanSpot> Spots; // of Drawn, for hit tests
    // The nested files read so far, by the path the export opens; null for one that could not
    // be read, so that it is not tried again on every change.
    std::unordered_map<std::u16string, std::unique_ptr<GroupDocument>> NestedFiles;
    std::vector<std::u16string> GroupNames; // the document's group names the files were read for
    size_t FilesRead = 0;                   // reads from the disk, for whoever watches the cost
};

// Drawn becomes the document's entries (groups as squares) over what its groups hold, placed
// as the export places them and coloured by the group file they come from; a group whose
// files cannot be expanded becomes PlanUnloadable itself. Nothing is told to the user.
void BuildPlanScene(PlanScene& scene, const GroupDocument& document, const std::u16string& title,
                    const std::u16string& currentFolder);

// Only the drawn entries that entry brings, made anew after only it changed (the cost of one
// entry, not of the scene, while the mouse drags it); they go on top of the others.
void RebuildPlanEntry(PlanScene& scene, const GroupDocument& document, ListLine entry,
                      const std::u16string& currentFolder);

// The drawn entries that the entry `top` of the document brings: itself and, for a group,
// what it holds.
bool BroughtBy(const PlanEntry& entry, ListLine top);
