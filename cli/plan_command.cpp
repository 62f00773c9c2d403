#include "cli/plan_command.h"

#include <new>

#include "base/text.h"
#include "cli/commands.h"
#include "cli/export_command.h"
#include "cli/save_as_editor.h"
#include "document/loader.h"
#include "document/messages.h"
#include "paths/path_utils.h"
#include "plan/plan_svg.h"
#include "platform/platform.h"

namespace {

// context is the output's name, which the export's loop message names.
void OnReport(void* context, unsigned message, const char16_t* name) {
    if (message == UM_EXPORTNOTFOUND)
        PrintError(FillText(Texts::ExportNotFound,
                            {name && *name ? std::u16string(name) : Texts::Untitled}));
    else if (message == UM_EXPORTLOOP)
        PrintError(FillText(Texts::ExportLoop, {*static_cast<std::u16string*>(context)}));
}

// The nested groups expanded as the export expands them, into memory only.
bool Flatten(Plan& plan, const GroupDocument& document, std::u16string out, const CommandLine& a) {
    std::u16string currentFolder;
    // As in the export: root-relative names are opened below the simulator folder.
    if (!ExportCurrentFolder(a.Root, a.HasRoot, currentFolder))
        PrintError(Texts::RootNotSet);
    return AddFlattenedGroups(plan, document, currentFolder, OnReport, &out, true);
}

bool WriteSvg(const std::u16string& path, const Plan& plan) {
    if (WritePlanSvg(path, plan))
        return true;
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
    bool flat = a.Has("--flat");
    AddDocumentToPlan(plan, document, 0, !flat);
    if (flat && !Flatten(plan, document, out, a))
        return ExitFailed;
    std::u16string note = UndrawnNote(plan);
    if (!note.empty())
        PrintError(note);
    return WriteSvg(out, plan) ? ExitOk : ExitFailed;
}

} // namespace

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
