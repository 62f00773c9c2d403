#include "cli/check.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "base/text.h"
#include "cli/check_loops.h"
#include "document/loader.h"
#include "platform/folders.h"
#include "platform/platform.h"

namespace {

// One file as read by the check, whoever named it first. Only the names are kept: ten
// thousand documents would not need to stay in memory.
struct CheckedFile {
    std::u16string Path;  // as first named
    bool Checked = false; // one of the files given, not only referenced
    bool Known = false;   // its identity could be taken
    FileIdentity Identity;
    LoadResult Result = LoadOpenFailed;
    std::u16string Reason; // the parser's or the system's text
    std::vector<OptText> Objects, IObjects, Fonts;
};

constexpr size_t NotFound = size_t(-1);

template <typename List> std::vector<OptText> NamesOf(const List& entries) {
    std::vector<OptText> names;
    names.reserve(entries.size());
    for (const auto& entry : entries)
        names.push_back(entry ? entry->Name : OptText());
    return names;
}

bool HasName(const OptText& name) {
    return name && !name->empty();
}

struct Checker {
    const CheckSettings& Settings;
    std::vector<CheckedFile> Files;
    std::unordered_map<FileIdentity, size_t, FileIdentityHash> ByIdentity;
    std::unordered_map<std::u16string, size_t> ByName;   // completed name → file, or NotFound
    std::unordered_map<std::u16string, bool> LabelFiles; // a label's name → the file exists
    std::atomic<size_t> Loads{0};
    std::mutex ProgressLock;

    explicit Checker(const CheckSettings& settings) : Settings(settings) {}

    // The file a name leads to, added to the table (unread) when it is new.
    size_t Add(const std::u16string& path, bool checked, std::vector<size_t>& unread) {
        CheckedFile file;
        const IdentifyResult identified = IdentifyFile(path, file.Identity);
        file.Known = identified == Identified;
        if (file.Known) {
            auto found = ByIdentity.find(file.Identity);
            if (found != ByIdentity.end()) {
                Files[found->second].Checked |= checked;
                return found->second;
            }
        } else if (!checked && identified == NothingThere) {
            return NotFound;
        } else if (checked) {
            for (size_t i = 0; i < Files.size(); ++i) // only for files given that do not exist
                if (!Files[i].Known && Files[i].Path == path)
                    return i;
        }
        file.Path = path;
        file.Checked = checked;
        size_t index = Files.size();
        if (file.Known)
            ByIdentity.emplace(file.Identity, index);
        Files.push_back(std::move(file));
        unread.push_back(index);
        return index;
    }

    size_t Resolve(const std::u16string& name, std::vector<size_t>& unread) {
        auto known = ByName.find(name);
        if (known != ByName.end())
            return known->second;
        size_t index = Add(PathToOpen(name, Settings.RootFolder), false, unread);
        ByName.emplace(name, index);
        return index;
    }

    void Read(CheckedFile& file) {
        LoadSettings load;
        load.ResolveAgainstFileFolder = true;
        load.CurrentFolder = Settings.RootFolder;
        LoadReport report;
        GroupDocument document;
        // Loaded by the path as first named, as the export loads it.
        file.Result = LoadGroupDocumentWith(file.Path, &document, load, report);
        if (file.Result == LoadOpenFailed)
            file.Reason = LastSystemErrorText();
        else if (file.Result == LoadXmlError)
            file.Reason = report.ParseError;
        if (file.Result != LoadOk)
            return;
        file.IObjects = NamesOf(document.IObjects);
        if (file.Checked) {
            file.Objects = NamesOf(document.Objects);
            file.Fonts = NamesOf(document.Fonts);
        }
    }

    void ReadSafely(CheckedFile& file) {
        try {
            Read(file);
        } catch (const std::bad_alloc&) {
            file.Result = LoadNoMemory;
            file.IObjects.clear();
        }
        size_t done = ++Loads;
        if (Settings.Progress) {
            std::lock_guard<std::mutex> lock(ProgressLock);
            Settings.Progress(Settings.ProgressContext, done);
        }
    }

    void ReadAll(const std::vector<size_t>& which) {
        std::atomic<size_t> next{0};
        auto work = [&] {
            for (size_t i = next++; i < which.size(); i = next++)
                ReadSafely(Files[which[i]]);
        };
        std::vector<std::thread> helpers;
        size_t wanted = std::min<size_t>(Settings.Jobs, which.size());
        for (size_t i = 1; i < wanted; ++i) {
            try {
                helpers.emplace_back(work);
            } catch (const std::exception&) {
                break; // fewer threads: the work is shared among those that started
            }
        }
        work();
        for (std::thread& helper : helpers)
            helper.join();
    }

    // Reads the files given, then, round by round, every file their entries name that has
    // not been read yet, and the group files those name in turn.
    void ReadEverything(const std::vector<std::u16string>& paths) {
        std::vector<size_t> unread;
        for (const std::u16string& path : paths) {
            size_t index = Add(path, true, unread);
            if (Files[index].Known)
                ByName.emplace(path, index); // names in other files may spell it the same way
        }
        while (!unread.empty()) {
            ReadAll(unread);
            std::vector<size_t> next;
            for (size_t index : unread) {
                // Files may grow below: copies of the names, not references into it.
                std::vector<OptText> names = Files[index].IObjects;
                if (Files[index].Checked)
                    names.insert(names.end(), Files[index].Objects.begin(),
                                 Files[index].Objects.end());
                for (const OptText& name : names)
                    if (HasName(name))
                        Resolve(*name, next);
            }
            unread.swap(next);
        }
        // A label's file is only looked for, never read.
        FileIdentity identity;
        for (const CheckedFile& file : Files)
            for (const OptText& name : file.Fonts)
                if (HasName(name) && !LabelFiles.count(*name))
                    LabelFiles[*name] = (ByName.count(*name) && ByName[*name] != NotFound) ||
                                        IdentifyFile(PathToOpen(*name, Settings.RootFolder),
                                                     identity) != NothingThere;
    }

    size_t Target(const OptText& name) const {
        auto found = ByName.find(*name);
        return found == ByName.end() ? NotFound : found->second;
    }

    std::vector<size_t> LoopWitnesses() const {
        std::vector<std::vector<size_t>> successors(Files.size());
        for (size_t v = 0; v < Files.size(); ++v)
            for (const OptText& name : Files[v].IObjects)
                if (HasName(name)) {
                    size_t w = Target(name);
                    if (w != NotFound && Files[w].Result == LoadOk)
                        successors[v].push_back(w);
                }
        return CyclesReached(successors);
    }
};

std::u16string ResultText(LoadResult result, const std::u16string& reason) {
    switch (result) {
    case LoadXmlError: return u"fehlerhafte XML-Datei: " + reason;
    case LoadObjectFile: return u"keine Gruppendatei, sondern eine Objektdatei";
    case LoadNotGroupFile: return u"weder eine Gruppen- noch eine Objektdatei";
    case LoadNoMemory: return u"konnte nicht eingelesen werden, da nicht genug Speicher frei ist";
    case LoadOpenFailed: return u"konnte nicht geöffnet werden: " + reason;
    case LoadOk: break;
    }
    return u"";
}

CheckProblem FileProblem(LoadResult result) {
    switch (result) {
    case LoadXmlError: return ProblemXmlError;
    case LoadObjectFile: return ProblemObjectFile;
    case LoadNotGroupFile: return ProblemNotAGroupFile;
    default: return ProblemUnreadable;
    }
}

std::string EntryLabel(const char* list, size_t index) {
    return std::string(list) + "[" + std::to_string(index) + "]";
}

struct FindingsOfFile {
    const Checker& Check;
    size_t FileIndex; // in CheckRun::Files
    std::vector<CheckFinding>& Out;

    void Add(CheckProblem problem, std::string entry, const OptText& name, std::u16string detail) {
        CheckFinding finding;
        finding.File = FileIndex;
        finding.Problem = problem;
        finding.Entry = std::move(entry);
        finding.Name = name;
        finding.Detail = std::move(detail);
        Out.push_back(std::move(finding));
    }

    // A missing or unusable file of the wrong kind; false when the reference is sound.
    bool Reference(const std::string& entry, const OptText& name, LoadResult wanted) {
        size_t target = Check.Target(name);
        if (target == NotFound) {
            Add(ProblemMissing, entry, name, u"Datei nicht gefunden");
            return true;
        }
        const CheckedFile& file = Check.Files[target];
        if (file.Result == wanted)
            return false;
        if (file.Result == LoadOk)
            Add(ProblemWrongKind, entry, name,
                u"als Objekt eingetragen, ist aber eine Gruppendatei");
        else if (file.Result == LoadObjectFile)
            Add(ProblemWrongKind, entry, name,
                u"als Gruppe eingetragen, ist aber eine Objektdatei");
        else
            Add(ProblemBadReference, entry, name,
                u"keine Gruppen- oder Objektdatei: " + ResultText(file.Result, file.Reason));
        return true;
    }

    void Entries(const CheckedFile& file, size_t witness) {
        for (size_t i = 0; i < file.Objects.size(); ++i)
            if (HasName(file.Objects[i]))
                Reference(EntryLabel("objects", i), file.Objects[i], LoadObjectFile);
        bool loopTold = false;
        for (size_t i = 0; i < file.IObjects.size(); ++i) {
            const OptText& name = file.IObjects[i];
            if (!HasName(name))
                continue;
            std::string entry = EntryLabel("iobjects", i);
            if (Reference(entry, name, LoadOk) || loopTold || witness == NoCycle)
                continue;
            if (LeadsToLoop(name)) {
                Add(ProblemLoop, entry, name,
                    u"Endlosschleife beim Exportieren: " + Check.Files[witness].Path +
                        u" enthält sich über verschachtelte Gruppen selbst");
                loopTold = true;
            }
        }
        for (size_t i = 0; i < file.Fonts.size(); ++i)
            if (HasName(file.Fonts[i]) && !Check.LabelFiles.at(*file.Fonts[i]))
                Add(ProblemMissing, EntryLabel("fonts", i), file.Fonts[i], u"Datei nicht gefunden");
    }

    std::vector<size_t>* Witnesses = nullptr;
    bool LeadsToLoop(const OptText& name) const {
        size_t target = Check.Target(name);
        return target != NotFound && (*Witnesses)[target] != NoCycle;
    }
};

} // namespace

const char* ProblemName(CheckProblem problem) {
    switch (problem) {
    case ProblemXmlError: return "xml-error";
    case ProblemObjectFile: return "object-file";
    case ProblemNotAGroupFile: return "not-a-group-file";
    case ProblemUnreadable: return "unreadable";
    case ProblemMissing: return "missing";
    case ProblemWrongKind: return "wrong-kind";
    case ProblemBadReference: return "bad-reference";
    case ProblemLoop: return "loop";
    }
    return "";
}

CheckRun CheckGroupFiles(const std::vector<std::u16string>& paths, const CheckSettings& settings) {
    Checker check(settings);
    check.ReadEverything(paths);
    std::vector<size_t> witnesses = check.LoopWitnesses();

    std::vector<std::pair<std::string, size_t>> order;
    for (size_t i = 0; i < check.Files.size(); ++i)
        if (check.Files[i].Checked)
            order.emplace_back(ToNativePath(check.Files[i].Path), i);
    std::sort(order.begin(), order.end());

    CheckRun run;
    run.Loads = check.Loads;
    for (const auto& [native, index] : order) {
        (void)native;
        const CheckedFile& file = check.Files[index];
        FindingsOfFile findings{check, run.Files.size(), run.Findings};
        findings.Witnesses = &witnesses;
        run.Files.push_back(file.Path);
        if (file.Result != LoadOk)
            findings.Add(FileProblem(file.Result), "", OptText(),
                         ResultText(file.Result, file.Reason));
        else
            findings.Entries(file, witnesses[index]);
    }
    return run;
}
