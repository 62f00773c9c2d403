#include "plan/plan_scene.h"

#include <algorithm>
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

namespace {

// The document's entries over what its groups hold, the sources following those given.
Plan DrawnEntriesOf(PlanScene& scene, const GroupDocument& document,
                    std::vector<std::u16string> sources, const std::u16string& currentFolder) {
    Plan nested;
    nested.Sources = std::move(sources);
    AddFlattenedGroups(nested, document, currentFolder, nullptr, nullptr, false, LoadKept, &scene);
    Plan own;
    AddDocumentToPlan(own, document, 0, true);

    std::unordered_set<size_t> unloadable;
    Plan drawn;
    drawn.Sources = std::move(nested.Sources);
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
    return drawn;
}

} // namespace

void BuildPlanScene(PlanScene& scene, const GroupDocument& document, const std::u16string& title,
                    const std::u16string& currentFolder) {
    std::vector<std::u16string> names = GroupNamesOf(document, currentFolder);
    if (names != scene.GroupNames) {
        scene.NestedFiles.clear();
        scene.GroupNames = std::move(names);
    }
    scene.Drawn = DrawnEntriesOf(scene, document, {title}, currentFolder);
    scene.Drawn.Title = title;
    scene.Spots = LocatePlanEntries(scene.Drawn);
}

void RebuildPlanEntry(PlanScene& scene, const GroupDocument& document, ListLine entry,
                      const std::u16string& currentFolder) {
    GroupDocument one;
    const size_t i = entry.Index;
    if (entry.Array == EntryArray::Fonts && i < document.Fonts.size() && document.Fonts[i])
        one.Fonts.push_back(std::make_unique<FontEntry>(*document.Fonts[i]));
    else if (entry.Array == EntryArray::Objects && i < document.Objects.size() &&
             document.Objects[i])
        one.Objects.push_back(std::make_unique<ObjectEntry>(*document.Objects[i]));
    else if (entry.Array == EntryArray::IObjects && i < document.IObjects.size() &&
             document.IObjects[i])
        one.IObjects.push_back(std::make_unique<ObjectEntry>(*document.IObjects[i]));
    Plan part = DrawnEntriesOf(scene, one, scene.Drawn.Sources, currentFolder);
    std::vector<PlanEntry>& drawn = scene.Drawn.Entries;
    drawn.erase(std::remove_if(drawn.begin(), drawn.end(),
                               [entry](const PlanEntry& e) { return BroughtBy(e, entry); }),
                drawn.end());
    for (PlanEntry& e : part.Entries) {
        e.Top = entry;
        drawn.push_back(std::move(e));
    }
    scene.Drawn.Sources = std::move(part.Sources);
    scene.Spots = LocatePlanEntries(scene.Drawn);
}
