#include "cli/plan_command.h"

#include <cstdio>
#include <new>
#include <unordered_map>

#include "base/text.h"
#include "cli/commands.h"
#include "cli/export_command.h"
#include "cli/save_as_editor.h"
#include "document/loader.h"
#include "document/messages.h"
#include "export/flatten.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "rotation/rotation.h"

namespace {

// The heading as the rotation library reports it: the yaw of the entry's whole rotation,
// so that a pitch beyond 90 degrees turns the stroke round.
double Heading(const Vec3& rotation) {
    double position[3] = {0, 0, 0};
    double turned[3] = {0, 0, 0};
    const double own[3] = {rotation.x, rotation.y, rotation.z};
    const double none[3] = {0, 0, 0};
    CDreheGroupObjekt(position, turned, position, own, none);
    return turned[0];
}

PlanEntry FromObject(const ObjectEntry& e, PlanKind kind, size_t source) {
    PlanEntry p;
    p.Kind = kind;
    p.Name = e.Name.value_or(u"");
    p.Caption = FileNameOf(p.Name);
    p.Position = e.Position;
    p.Heading = Heading(e.Rotation);
    p.Source = source;
    return p;
}

PlanEntry FromFont(const FontEntry& f, size_t source) {
    PlanEntry p;
    p.Kind = PlanLabel;
    p.Name = f.Name.value_or(u"");
    p.Caption = f.DefaultText.value_or(u"");
    p.Position = f.Position;
    p.Heading = Heading(f.Rotation);
    p.Source = source;
    return p;
}

struct FlatCollector {
    Plan* Target = nullptr;
    std::unordered_map<std::u16string, size_t> SourceIndex; // by the file, not its spelling
};

void TakeLevel(void* receiver, GroupDocument& level, const std::u16string& groupFile) {
    FlatCollector& c = *static_cast<FlatCollector*>(receiver);
    size_t source = 0;
    if (!groupFile.empty()) {
        std::u16string key = FoldCase(LexicallyNormalised(groupFile));
        auto found = c.SourceIndex.find(key);
        if (found == c.SourceIndex.end()) {
            found = c.SourceIndex.emplace(key, c.Target->Sources.size()).first;
            c.Target->Sources.push_back(groupFile);
        }
        source = found->second;
    }
    // The level's groups are expanded in turn; only what they hold is drawn.
    AddDocumentToPlan(*c.Target, level, source, false);
}

// context is the output's name, which the export's loop message names.
void OnReport(void* context, unsigned message, const char16_t* name) {
    if (message == UM_EXPORTNOTFOUND)
        PrintError(FillText(Texts::ExportNotFound,
                            {name && *name ? std::u16string(name) : Texts::Untitled}));
    else if (message == UM_EXPORTLOOP)
        PrintError(FillText(Texts::ExportLoop, {*static_cast<std::u16string*>(context)}));
}

// The nested groups expanded as the export expands them, into memory only.
bool Flatten(Plan& plan, GroupDocument& document, std::u16string out, const CommandLine& a) {
    ExportJob job;
    // As in the export: root-relative names are opened below the simulator folder.
    if (!ExportCurrentFolder(a.Root, a.HasRoot, job.CurrentFolder))
        PrintError(Texts::RootNotSet);
    FlatCollector collector;
    collector.Target = &plan;
    job.Document = &document;
    job.Report = OnReport;
    job.ReportContext = &out;
    job.TakeEntries = TakeLevel;
    job.EntryReceiver = &collector;
    return FlattenInMemory(job);
}

bool WriteSvg(const std::u16string& path, const std::string& svg) {
    OutputFile file;
    if (CreateOutputFile(path, file) && WriteOutputFile(file, svg.data(), svg.size())) {
        if (CommitOutputFile(file))
            return true;
    } else {
        DiscardOutputFile(file);
    }
    PrintError(FillText(Texts::ExportCannotCreate, {path}) + u": " + LastSystemErrorText());
    return false;
}

int Draw(const std::u16string& in, const std::u16string& out, const CommandLine& a) {
    GroupDocument document;
    int writeUtf8 = 1;
    LoadResult result = LoadAsEditor(in, document, writeUtf8);
    if (result != LoadOk) {
        std::u16string system = result == LoadOpenFailed ? LastSystemErrorText() : u"";
        PrintError(OpenResultMessage(result, FileNameOf(in), system));
        return ExitFailed;
    }
    Plan plan;
    plan.Title = FileNameOf(in);
    plan.Sources.push_back(plan.Title);
    if (a.Has("--flat")) {
        if (!Flatten(plan, document, out, a))
            return ExitFailed;
    } else {
        AddDocumentToPlan(plan, document, 0, true);
    }
    return WriteSvg(out, PlanSvg(plan)) ? ExitOk : ExitFailed;
}

} // namespace

void AddDocumentToPlan(Plan& plan, const GroupDocument& document, size_t source, bool withGroups) {
    for (const auto& e : document.Objects)
        if (e)
            plan.Entries.push_back(FromObject(*e, PlanObject, source));
    for (const auto& e : document.IObjects)
        if (e && withGroups)
            plan.Entries.push_back(FromObject(*e, PlanGroup, source));
    for (const auto& f : document.Fonts)
        if (f)
            plan.Entries.push_back(FromFont(*f, source));
}

const CommandForm PlanForm{
    "plan",
    "EIN AUS.svg",
    "zeichnet die Einträge von EIN von oben als SVG-Bild",
    "Zeichnet die Einträge von EIN von oben als SVG-Bild AUS.svg: x nach rechts, z nach oben,\n"
    "Objekte als Punkte mit einem Strich in ihrer Richtung, Gruppen als Quadrate, Texte als\n"
    "ihr Text.\n"
    "Rückgabewert: 0 gezeichnet, 1 wenn EIN keine Gruppendatei ist oder AUS.svg nicht\n"
    "geschrieben werden kann, 2 bei falschem Aufruf.\n",
    {RootOption,
     {"--flat", OptionKind::Switch, nullptr,
      "die verschachtelten Gruppen aufgelöst wie beim Export, jede Gruppendatei in ihrer Farbe"}},
    2,
    2,
    "plan erwartet EIN und AUS.svg"};

int RunPlan(const CommandLine& a) {
    std::u16string in, out;
    if (!ProgramPath(a.Operands[0], in) || !ProgramPath(a.Operands[1], out))
        return ExitFailed;
    try {
        return Draw(in, out, a);
    } catch (const std::bad_alloc&) {
        PrintError(FillText(Texts::OpenNoMemory, {in}));
        return ExitFailed;
    }
}
