#include "plan/plan_model.h"

#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "base/text.h"
#include "document/messages.h"
#include "rotation/rotation.h"

namespace {

// Scenes repeat their rotations: the library's answer for the rotations seen last is kept,
// by their exact bits, so that the heading stays the library's own.
struct HeadingCache {
    struct Slot {
        uint64_t Bits[3] = {0, 0, 0};
        double Heading = 0;
        bool Used = false;
    };
    std::vector<Slot> Slots = std::vector<Slot>(1024);

    double Of(const Vec3& rotation) {
        uint64_t bits[3];
        std::memcpy(&bits[0], &rotation.x, sizeof(double));
        std::memcpy(&bits[1], &rotation.y, sizeof(double));
        std::memcpy(&bits[2], &rotation.z, sizeof(double));
        const uint64_t hash = (bits[0] * 0x9E3779B97F4A7C15u) ^ (bits[1] * 0xC2B2AE3D27D4EB4Fu) ^
                              (bits[2] * 0x165667B19E3779F9u);
        Slot& slot = Slots[size_t(hash >> 54)];
        if (!slot.Used || std::memcmp(slot.Bits, bits, sizeof bits) != 0) {
            std::memcpy(slot.Bits, bits, sizeof bits);
            slot.Heading = PlanHeading(rotation);
            slot.Used = true;
        }
        return slot.Heading;
    }
};

PlanEntry FromObject(const ObjectEntry& e, PlanKind kind, size_t source, ListLine top,
                     HeadingCache& headings) {
    PlanEntry p;
    p.Kind = kind;
    p.Name = e.Name.value_or(u"");
    p.Caption = FileNameOf(p.Name);
    p.Position = e.Position;
    p.Heading = headings.Of(e.Rotation);
    p.Source = source;
    p.Top = top;
    return p;
}

PlanEntry FromFont(const FontEntry& f, size_t source, ListLine top, HeadingCache& headings) {
    PlanEntry p;
    p.Kind = PlanLabel;
    p.Name = f.Name.value_or(u"");
    p.Caption = f.DefaultText.value_or(u"");
    p.Position = f.Position;
    p.Heading = headings.Of(f.Rotation);
    p.Source = source;
    p.Top = top;
    return p;
}

// A level's entries; each is its own top entry unless broughtBy names one.
void AddLevel(Plan& plan, const GroupDocument& document, size_t source, bool withGroups,
              const ListLine* broughtBy, HeadingCache& headings) {
    auto top = [broughtBy](EntryArray array, size_t index) {
        return broughtBy ? *broughtBy : ListLine{array, index};
    };
    plan.Entries.reserve(plan.Entries.size() + EntryCount(document));
    for (size_t i = 0; i < document.Objects.size(); ++i)
        if (document.Objects[i])
            plan.Entries.push_back(FromObject(*document.Objects[i], PlanObject, source,
                                              top(EntryArray::Objects, i), headings));
    for (size_t i = 0; i < document.IObjects.size() && withGroups; ++i)
        if (document.IObjects[i])
            plan.Entries.push_back(FromObject(*document.IObjects[i], PlanGroup, source,
                                              top(EntryArray::IObjects, i), headings));
    for (size_t i = 0; i < document.Fonts.size(); ++i)
        if (document.Fonts[i])
            plan.Entries.push_back(
                FromFont(*document.Fonts[i], source, top(EntryArray::Fonts, i), headings));
}

struct FlatCollector {
    Plan* Target = nullptr;
    ListLine Group;                                         // the top-level group being expanded
    std::unordered_map<std::u16string, size_t> SourceIndex; // by the file, not its spelling
    HeadingCache Headings;
};

void TakeLevel(void* receiver, GroupDocument& level, const std::u16string& groupFile) {
    FlatCollector& c = *static_cast<FlatCollector*>(receiver);
    if (groupFile.empty())
        return; // the one top-level group alone: nothing of its own
    std::u16string key = FoldCase(LexicallyNormalised(groupFile));
    auto found = c.SourceIndex.find(key);
    if (found == c.SourceIndex.end()) {
        found = c.SourceIndex.emplace(key, c.Target->Sources.size()).first;
        c.Target->Sources.push_back(groupFile);
    }
    // The level's groups are expanded in turn; only what they hold is drawn.
    AddLevel(*c.Target, level, found->second, false, &c.Group, c.Headings);
}

} // namespace

double PlanHeading(const Vec3& rotation) {
    double position[3] = {0, 0, 0};
    double turned[3] = {0, 0, 0};
    const double own[3] = {rotation.x, rotation.y, rotation.z};
    const double none[3] = {0, 0, 0};
    CDreheGroupObjekt(position, turned, position, own, none);
    return turned[0];
}

void AddDocumentToPlan(Plan& plan, const GroupDocument& document, size_t source, bool withGroups) {
    HeadingCache headings;
    AddLevel(plan, document, source, withGroups, nullptr, headings);
}

bool AddFlattenedGroups(Plan& plan, const GroupDocument& document,
                        const std::u16string& currentFolder, ExportReportFunction report,
                        void* reportContext, bool stopAtFailure, LoadNestedFunction load,
                        void* loaderContext) {
    FlatCollector collector;
    collector.Target = &plan;
    // Group files the plan has already keep their colour; the first source is the drawn
    // document itself.
    for (size_t i = 1; i < plan.Sources.size(); ++i)
        collector.SourceIndex.emplace(FoldCase(LexicallyNormalised(plan.Sources[i])), i);
    bool complete = true;
    for (size_t i = 0; i < document.IObjects.size(); ++i) {
        // Expanded one by one, so that each flattened entry knows the group that brings it.
        GroupDocument one;
        const auto& group = document.IObjects[i];
        one.IObjects.push_back(group ? std::make_unique<ObjectEntry>(*group) : nullptr);
        collector.Group = {EntryArray::IObjects, i};
        ExportJob job;
        job.CurrentFolder = currentFolder;
        job.Document = &one;
        job.Report = report;
        job.ReportContext = reportContext;
        job.TakeEntries = TakeLevel;
        job.EntryReceiver = &collector;
        job.LoadNested = load;
        job.LoaderContext = loaderContext;
        if (FlattenInMemory(job))
            continue;
        complete = false;
        if (stopAtFailure)
            return false;
        if (group)
            plan.Entries.push_back(
                FromObject(*group, PlanUnloadable, 0, collector.Group, collector.Headings));
    }
    return complete;
}
