#include "export/flatten.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <thread>

#include "base/text.h"
#include "document/loader.h"
#include "document/writer.h"
#include "export/level_index.h"
#include "paths/path_utils.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "rotation/rotation.h"

namespace {
std::pmr::unsynchronized_pool_resource VisitedNames;
} // namespace

int ExportDepth = 0;
std::pmr::vector<std::pmr::u16string> VisitedGroupFiles(&VisitedNames);
bool (*StartExportWorker)(void (*fn)(void*), void* argument) = StartWorkerThread;

namespace {

// The engine's process-wide state serves one expansion at a time: an export holds it from
// its start until its worker has written the last byte, FlattenInMemory while it runs.
std::atomic<bool> ExpansionTaken{false};

bool TakeExpansion() {
    bool free = false;
    return ExpansionTaken.compare_exchange_strong(free, true);
}

// One open group of the expansion: its document (none once its last IObject is open) and
// the next of its IObjects to expand.
struct Level {
    std::unique_ptr<GroupDocument> Loaded; // empty for the top document, owned by the job
    GroupDocument* Document = nullptr;
    bool Identified = false;
    FileIdentity Identity;
    size_t NextIObject = 0;
};

// Beside VisitedGroupFiles, the open levels by the hash of their loop-check keys, so that a
// deep chain costs the same at every level; and by their files themselves: a name through a
// link to a folder spells the same file anew at every level, which the names alone would
// follow until the path grew too long.
LevelIndex OpenKeys;
LevelIndex OpenFiles;

// Level n (from 1) holds the group file VisitedGroupFiles[n - 1].
bool IsOpen(const std::vector<Level>& levels, const std::u16string& key, size_t keyHash,
            bool identified, const FileIdentity& identity) {
    if (ContainsLevel(OpenKeys, keyHash, [&](size_t level) {
            const std::pmr::u16string& name = VisitedGroupFiles[level - 1];
            return FoldCase(LexicallyNormalised(std::u16string(name.data(), name.size()))) == key;
        }))
        return true;
    return identified && ContainsLevel(OpenFiles, FileIdentityHash()(identity), [&](size_t level) {
               return levels[level].Identity == identity;
           });
}

void Report(ExportJob& job, unsigned message, const char16_t* name = nullptr) {
    if (job.Report)
        job.Report(job.ReportContext, message, name);
}

void Fail(ExportJob& job, unsigned message, const char16_t* name = nullptr) {
    job.KeepRunning = 0;
    job.Succeeded = 0;
    Report(job, message, name);
}

void Turn(Vec3& position, Vec3& rotation, const Vec3& groupRotation) {
    double p[3] = {position.x, position.y, position.z};
    double r[3] = {rotation.x, rotation.y, rotation.z};
    const double g[3] = {groupRotation.x, groupRotation.y, groupRotation.z};
    CDreheGroupObjekt(p, r, p, r, g);
    position = {p[0], p[1], p[2]};
    rotation = {r[0], r[1], r[2]};
}

void Add(Vec3& v, const Vec3& d) {
    v.x += d.x;
    v.y += d.y;
    v.z += d.z;
}

void MergeRules(ObjectEntry& entry, const ObjectEntry& group) {
    entry.BlinkIntervall += group.BlinkIntervall;
    entry.ZoomFaktor *= group.ZoomFaktor;
    if (group.HideOn)
        entry.HideOn = group.HideOn;
    if (group.ShowOn)
        entry.ShowOn = group.ShowOn;
    if (group.DynamicVisibility)
        entry.DynamicVisibility = group.DynamicVisibility;
    if (group.FixedDynamicVisibility)
        entry.FixedDynamicVisibility = 1;
    if (group.ShowIfBrightness) {
        entry.ShowIfBrightness = 1;
        entry.Brightness = group.Brightness;
        entry.GreaterAs = group.GreaterAs;
    }
    if (group.WeitSichtbar)
        entry.WeitSichtbar = 1;
}

// The output's form: always UTF-8, whatever files were read.
SaveSettings OutputSettings(const ExportJob& job) {
    SaveSettings settings;
    settings.Utf8 = true;
    settings.SimulatorRoot = job.SimulatorRoot;
    settings.DocumentFolder = job.DocumentFolder;
    return settings;
}

// A level's own Objects and Fonts. A failed write to the disk counts as an entry that
// could not be written: the output would be incomplete.
bool WriteOwnEntries(ExportJob& job, OutputSink& sink, GroupDocument& document,
                     const std::u16string& groupFile) {
    if (job.TakeEntries) {
        job.TakeEntries(job.EntryReceiver, document, groupFile);
        return true;
    }
    for (auto& entry : document.Objects) {
        if (!entry || !WriteObjectEntry(sink, entry.get(), "Object") || sink.Failed) {
            Fail(job, UM_EXPORTNOTFOUND, u"");
            return false;
        }
    }
    for (auto& font : document.Fonts) {
        if (!font || !WriteFontEntry(sink, font.get()) || sink.Failed) {
            Fail(job, UM_EXPORTNOTFOUND, u"");
            return false;
        }
    }
    return true;
}

void CloseLevel(std::vector<Level>& levels) {
    if (levels.size() > 1) {
        RemoveLastLevel(OpenKeys);
        if (levels.back().Identified)
            RemoveLastLevel(OpenFiles);
        VisitedGroupFiles.pop_back();
    }
    levels.pop_back();
    ExportDepth = int(levels.size());
}

// Opens the group file that group names as a new level; false when the export must stop.
bool OpenNestedLevel(ExportJob& job, std::vector<Level>& levels, OutputSink& sink,
                     const ObjectEntry* group) {
    if (!group || !group->Name) {
        Fail(job, UM_EXPORTNOTFOUND, u"");
        return false;
    }
    const std::u16string& name = *group->Name;
    std::u16string key = FoldCase(LexicallyNormalised(name));
    Level level;
    level.Identified =
        IdentifyFile(PathToOpen(name, job.CurrentFolder), level.Identity) == Identified;
    size_t keyHash = std::hash<std::u16string>()(key);
    if (IsOpen(levels, key, keyHash, level.Identified, level.Identity)) {
        Fail(job, UM_EXPORTLOOP);
        return false;
    }
    level.Loaded = std::make_unique<GroupDocument>();
    level.Document = level.Loaded.get();
    LoadSettings settings;
    settings.ResolveAgainstFileFolder = true;
    settings.CurrentFolder = job.CurrentFolder;
    LoadReport report;
    VisitedGroupFiles.emplace_back(name.data(), name.size());
    LoadResult result =
        job.LoadNested ? job.LoadNested(job.LoaderContext, name, level.Document, settings, report)
                       : LoadGroupDocumentWith(name, level.Document, settings, report);
    if (result == LoadXmlError)
        TellUser(report.ParseError, u"Zellora");
    if (result != LoadOk || !PlaceNestedDocument(level.Document, group)) {
        Fail(job, UM_EXPORTNOTFOUND, name.c_str());
        VisitedGroupFiles.pop_back();
        return false;
    }
    AddLevel(OpenKeys, keyHash, levels.size());
    if (level.Identified)
        AddLevel(OpenFiles, FileIdentityHash()(level.Identity), levels.size());
    levels.push_back(std::move(level));
    ExportDepth = int(levels.size());
    GroupDocument& nested = *levels.back().Document;
    bool written = WriteOwnEntries(job, sink, nested, name);
    // Only the level's groups are still needed: a deep chain keeps little in memory.
    ObjectList().swap(nested.Objects);
    FontList().swap(nested.Fonts);
    return written;
}

// Depth first with a stack of levels instead of recursion, so that no chain of groups,
// however deep, can overflow the worker's stack. The order is that of a recursive walk:
// a level's Objects and Fonts, then each of its IObjects expanded in turn.
void ExpandAll(ExportJob& job, OutputSink& sink) {
    std::vector<Level> levels;
    Level top;
    top.Document = job.Document;
    levels.push_back(std::move(top));
    ExportDepth = 1;
    if (!WriteOwnEntries(job, sink, *job.Document, std::u16string()))
        return;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.Document || level.NextIObject >= level.Document->IObjects.size()) {
            CloseLevel(levels);
            continue;
        }
        if (!job.KeepRunning) {
            job.Succeeded = 0;
            return;
        }
        size_t parent = levels.size() - 1;
        const ObjectEntry* group = level.Document->IObjects[level.NextIObject++].get();
        bool lastGroup = level.NextIObject == level.Document->IObjects.size();
        if (!OpenNestedLevel(job, levels, sink, group))
            return;
        // A level whose groups are all open keeps only what the loop check needs: a deep
        // chain holds one document at a time, not one per level scattered over the heap.
        if (lastGroup && levels[parent].Loaded) {
            levels[parent].Loaded.reset();
            levels[parent].Document = nullptr;
        }
    }
}

// Runs the expansion and leaves the engine idle again.
void Expand(ExportJob& job, OutputSink& sink) {
    try {
        sink.Settings = OutputSettings(job);
        ExpandAll(job, sink);
    } catch (const std::bad_alloc&) {
        Fail(job, UM_EXPORTNOTFOUND, u"");
    }
    VisitedGroupFiles.clear();
    VisitedGroupFiles.shrink_to_fit();
    VisitedNames.release();
    OpenKeys = LevelIndex();
    OpenFiles = LevelIndex();
    ExportDepth = 0;
    // A cancel after the last IObject still stops the export.
    if (!job.KeepRunning)
        job.Succeeded = 0;
}

void Worker(void* argument) {
    ExportGroupDocument(*static_cast<ExportJob*>(argument));
}

} // namespace

std::u16string LexicallyNormalised(const std::u16string& written) {
    // "/" separates folders on Windows as "\\" does.
    std::u16string name = written;
    std::replace(name.begin(), name.end(), u'/', u'\\');
    std::u16string prefix;
    size_t start = 0;
    bool rooted = false;
    switch (KindOfPath(name)) {
    case PathKind::Drive:
        start = 2;
        if (name.size() > 2 && name[2] == u'\\') {
            start = 3;
            rooted = true;
        }
        break;
    case PathKind::Network:
        start = 2;
        rooted = true;
        break;
    case PathKind::RootRelative:
        start = 1;
        rooted = true;
        break;
    case PathKind::Relative: break;
    }
    prefix = name.substr(0, start);
    std::vector<std::u16string> parts;
    size_t i = start;
    while (i <= name.size()) {
        size_t end = name.find(u'\\', i);
        if (end == std::u16string::npos)
            end = name.size();
        std::u16string part = name.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.empty() && parts.back() != u"..")
                parts.pop_back();
            else if (!rooted)
                parts.push_back(part); // a relative name may climb above its start
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::u16string out = prefix;
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k)
            out += u'\\';
        out += parts[k];
    }
    return out;
}

bool PlaceNestedDocument(GroupDocument* nested, const ObjectEntry* group) {
    try {
        for (auto& entry : nested->Objects) {
            if (!entry)
                continue;
            Turn(entry->Position, entry->Rotation, group->Rotation);
            Add(entry->Position, group->Position);
            MergeRules(*entry, *group);
        }
        // A nested group is only shifted and its angles added; its own entries are turned
        // when it is expanded in turn.
        for (auto& entry : nested->IObjects) {
            if (!entry)
                continue;
            Add(entry->Position, group->Position);
            Add(entry->Rotation, group->Rotation);
            MergeRules(*entry, *group);
        }
        for (auto& font : nested->Fonts) {
            if (!font)
                continue;
            Turn(font->Position, font->Rotation, group->Rotation);
            Add(font->Position, group->Position);
            font->BlinkIntervall += group->BlinkIntervall;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool StartExport(ExportJob& job) {
    bool taken = job.Document && TakeExpansion();
    if (!taken || !CreateOutputFile(job.OutputPath, job.Output)) {
        if (taken)
            ExpansionTaken = false;
        job.Succeeded = 0;
        Report(job, UM_EXPORTCANNOTCREATE);
        return false;
    }
    bool headWritten = false;
    try {
        OutputSink sink;
        sink.File = &job.Output;
        sink.Settings = OutputSettings(job);
        WriteDocumentHead(sink, *job.Document);
        headWritten = FlushSink(sink);
    } catch (const std::bad_alloc&) {
    }
    if (!headWritten || !StartExportWorker(Worker, &job)) {
        ExpansionTaken = false;
        DiscardOutputFile(job.Output);
        job.KeepRunning = 0;
        job.Succeeded = 0;
        Report(job, UM_EXPORTCANNOTCREATE);
        return false;
    }
    return true;
}

void ExportGroupDocument(ExportJob& job) {
    OutputSink sink;
    sink.File = &job.Output;
    Expand(job, sink);
    if (job.Succeeded) {
        bool written = false;
        try {
            WriteDocumentTail(sink);
            written = FlushSink(sink);
        } catch (const std::bad_alloc&) {
        }
        if (!written)
            Fail(job, UM_EXPORTNOTFOUND, u"");
    }
    ExpansionTaken = false;
    // The job may be gone as soon as this report has been handled.
    Report(job, UM_EXPORTDONE);
}

bool FlattenInMemory(ExportJob& job) {
    if (!job.Document || !job.TakeEntries || !TakeExpansion()) {
        job.Succeeded = 0;
        return false;
    }
    OutputSink sink; // without a file: nothing is written anywhere
    Expand(job, sink);
    ExpansionTaken = false;
    return job.Succeeded != 0;
}

bool FinishExportOutput(ExportJob& job) {
    if (job.Succeeded && job.KeepRunning) {
        // A failed commit has deleted the temporary file itself.
        if (CommitOutputFile(job.Output))
            return true;
        job.Succeeded = 0;
        return false;
    }
    job.Succeeded = 0;
    DiscardOutputFile(job.Output);
    return false;
}

void WaitForExportDone(const ExportCompletion& completion) {
    while (!completion.Done.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
