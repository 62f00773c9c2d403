#include "plan/plan_scene.h"

#include <new>
#include <unordered_set>

namespace {

// The folder belongs to them: relative names open inside it.
std::vector<std::u16string> GroupNamesOf(const GroupDocument& document,
                                         const std::u16string& currentFolder) {
    std::vector<std::u16string> names;
    names.reserve(document.IObjects.size() + 1);
    for (const auto& group : document.IObjects)
        names.push_back(group && group->Name ? *group->Name : u"");
    names.push_back(currentFolder);
    return names;
}

// Each file is read once; the export gets a copy, which it moves and turns into place.
LoadResult LoadKept(void* context, const std::u16string& path, GroupDocument* document,
                    const LoadSettings& settings, LoadReport& report) {
    PlanScene& scene = *static_cast<PlanScene*>(context);
    auto kept = scene.NestedFiles.find(path);
    if (kept == scene.NestedFiles.end()) {
        auto read = std::make_unique<GroupDocument>();
        ++scene.FilesRead;
        if (LoadGroupDocumentWith(path, read.get(), settings, report) != LoadOk)
            read.reset();
        kept = scene.NestedFiles.emplace(path, std::move(read)).first;
    }
    // A file that cannot be read is only marked in the picture: no message about its XML.
    if (!kept->second)
        return LoadOpenFailed;
    return CopyGroupDocument(*kept->second, *document) ? LoadOk : LoadNoMemory;
}

bool SameEntry(ListLine a, ListLine b) {
    return a.Array == b.Array && a.Index == b.Index;
}

} // namespace

bool BroughtBy(const PlanEntry& entry, ListLine top) {
    return SameEntry(entry.Top, top);
}

void BuildPlanScene(PlanScene& scene, const GroupDocument& document, const std::u16string& title,
                    const std::u16string& currentFolder) {
    std::vector<std::u16string> names = GroupNamesOf(document, currentFolder);
    if (names != scene.GroupNames) {
        scene.NestedFiles.clear();
        scene.GroupNames = std::move(names);
    }
    Plan nested;
    nested.Sources.push_back(title);
    AddFlattenedGroups(nested, document, currentFolder, nullptr, nullptr, false, LoadKept, &scene);
    Plan own;
    AddDocumentToPlan(own, document, 0, true);

    std::unordered_set<size_t> unloadable;
    Plan& drawn = scene.Drawn;
    drawn.Title = title;
    drawn.Sources = std::move(nested.Sources);
    drawn.Entries.clear();
    drawn.Entries.reserve(nested.Entries.size() + own.Entries.size());
    // What the groups hold lies beneath the document's own entries, which a click prefers.
    for (PlanEntry& e : nested.Entries) {
        if (e.Kind == PlanUnloadable)
            unloadable.insert(e.Top.Index);
        else
            drawn.Entries.push_back(std::move(e));
    }
    for (PlanEntry& e : own.Entries) {
        if (e.Kind == PlanGroup && unloadable.count(e.Top.Index))
            e.Kind = PlanUnloadable;
        drawn.Entries.push_back(std::move(e));
    }
    scene.Spots = LocatePlanEntries(drawn);
}
