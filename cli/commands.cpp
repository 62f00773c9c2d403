#include "cli/commands.h"

#include <cstdio>
#include <new>

#include "base/text.h"
#include "cli/arguments.h"
#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/export_command.h"
#include "cli/import_command.h"
#include "cli/json.h"
#include "cli/plan_command.h"
#include "cli/save_as_editor.h"
#include "document/loader.h"
#include "document/messages.h"
#include "platform/platform.h"
#include "zellora_version.h"

// A native name in the program's form; false (and said why) when that form cannot name it
// exactly, for the mapped name could be another file.
bool ProgramPath(const std::string& native, std::u16string& path) {
    path = FromNativePath(native);
    if (!path.empty())
        return true;
    RefuseInexactName(native);
    return false;
}

void PrintError(const std::u16string& text) {
    WriteError(Utf16ToUtf8(text) + "\n");
}

std::string Printable(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        unsigned char lead = static_cast<unsigned char>(name[i]);
        size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 4;
        std::string sequence = name.substr(i, length);
        if (lead >= 0x80 && Utf16ToUtf8(Utf8ToUtf16(sequence)) != sequence) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", lead);
            out += escaped;
            ++i;
            continue;
        }
        out += sequence;
        i += length;
    }
    return out;
}

namespace {

const CommandForm InfoForm{
    "info",
    "DATEI",
    "liest eine Gruppenobjektdatei und gibt ihren Inhalt als JSON aus",
    "Liest DATEI, wie der Editor sie öffnet (relative Namen bezogen auf den Ordner der Datei),\n"
    "und gibt das Dokument als ein JSON-Objekt auf der Standardausgabe aus.\n"
    "Rückgabewert: 0 für eine Gruppen- oder Objektdatei, 1 sonst, 2 bei falschem Aufruf.\n",
    {},
    1,
    1,
    "info erwartet genau eine Datei"};

bool IsEncoding(const std::string& value) {
    return value == "utf-8" || value == "iso-8859-1";
}

const CommandForm ResaveForm{
    "resave",
    "EIN AUS",
    "liest EIN und speichert es nach AUS, wie es der Editor tut",
    "Liest EIN und speichert es nach AUS, wie es der Editor beim Speichern tut: jeder Name\n"
    "wird gegen den Ordner von AUS und den Ferrolino-Ordner gekürzt.\n"
    "Rückgabewert: 0 gespeichert, 1 wenn EIN keine Gruppendatei ist oder AUS nicht\n"
    "geschrieben werden kann, 2 bei falschem Aufruf.\n",
    {{"--encoding", OptionKind::Value, "utf-8|iso-8859-1",
      "Kodierung von AUS; ohne Angabe die von EIN", IsEncoding, "utf-8 oder iso-8859-1"},
     RootOption},
    2,
    2,
    "resave erwartet EIN und AUS"};

const CommandForm ExportForm{
    "export",
    "EIN AUS",
    "löst die verschachtelten Gruppen von EIN in eine flache Datei AUS auf",
    "Löst die verschachtelten Gruppen von EIN auf und schreibt eine flache Datei AUS, wie der\n"
    "Export des Editors: jeder Eintrag einer inneren Gruppe wird in die äußere verschoben und\n"
    "gedreht. Ohne --root gelten Namen der Form \\… im aktuellen Ordner.\n"
    "Rückgabewert: 0 exportiert, 1 gescheitert (AUS bleibt, wie es war), 2 bei falschem\n"
    "Aufruf.\n",
    {RootOption},
    2,
    2,
    "export erwartet EIN und AUS"};

// A file that is not a group file is refused with the editor's Open message.
bool LoadGroupFileOrSay(const std::u16string& path, GroupDocument& document, int& writeUtf8) {
    LoadResult result = LoadAsEditor(path, document, writeUtf8);
    if (result == LoadOk)
        return true;
    std::u16string system = result == LoadOpenFailed ? LastSystemErrorText() : std::u16string();
    PrintError(OpenResultMessage(result, FileNameOf(path), system));
    return false;
}

int RunInfo(const CommandLine& line) {
    std::u16string path;
    if (!ProgramPath(line.Operands[0], path))
        return ExitFailed;
    GroupDocument document;
    int writeUtf8 = 1;
    LoadResult result = LoadAsEditor(path, document, writeUtf8);
    JsonOutput out;
    out.File = stdout;
    WriteDocumentJson(out, result, writeUtf8, document);
    // A full disk or a closed pipe must not pass for a complete document.
    if (fflush(stdout) != 0 || ferror(stdout)) {
        PrintError(u"Die Ausgabe konnte nicht vollständig geschrieben werden");
        return ExitFailed;
    }
    return (result == LoadOk || result == LoadObjectFile) ? ExitOk : ExitFailed;
}

int RunResave(const CommandLine& line) {
    std::u16string in, out;
    if (!ProgramPath(line.Operands[0], in) || !ProgramPath(line.Operands[1], out))
        return ExitFailed;
    GroupDocument document;
    int writeUtf8 = 1;
    if (!LoadGroupFileOrSay(in, document, writeUtf8))
        return ExitFailed;
    if (line.Has("--encoding"))
        writeUtf8 = line.Value("--encoding") == "utf-8" ? 1 : 0;
    return SaveAsEditor(document, out, writeUtf8 != 0, line.Root);
}

int RunExport(const CommandLine& line) {
    std::u16string in, out;
    if (!ProgramPath(line.Operands[0], in) || !ProgramPath(line.Operands[1], out))
        return ExitFailed;
    GroupDocument document;
    int writeUtf8 = 1; // not needed: an export is always written in UTF-8
    if (!LoadGroupFileOrSay(in, document, writeUtf8))
        return ExitFailed;
    return RunExportCommand(document, out, line.Root, line.HasRoot) ? ExitOk : ExitFailed;
}

} // namespace

int RefuseInexactName(const std::string& name) {
    WriteError("zellora-cli: " + Printable(name) +
               ": Dieser Name kann nicht genau dargestellt werden: er oder der aktuelle Ordner "
               "enthält Bytes, die kein UTF-8 sind, oder einen \\. Nichts wurde gelesen oder "
               "geschrieben.\n");
    return ExitFailed;
}

namespace {

struct Command {
    const CommandForm* Form;
    int (*Run)(const CommandLine& line);
};

const Command Commands[] = {
    {&InfoForm, RunInfo},     {&ResaveForm, RunResave}, {&ExportForm, RunExport},
    {&ImportForm, RunImport}, {&PlanForm, RunPlan},     {&CheckForm, RunCheck},
};

const Command* FindCommand(const std::string& name) {
    for (const Command& command : Commands)
        if (name == command.Form->Name)
            return &command;
    return nullptr;
}

std::string OverallUsage() {
    std::string text = "Aufruf:\n";
    for (const Command& command : Commands)
        text += "  " + Synopsis(*command.Form) + "\n";
    text += "  zellora-cli help [BEFEHL] | --help | --version\n\n";
    for (const Command& command : Commands) {
        std::string name = command.Form->Name;
        text += name + std::string(8 - name.size(), ' ') + command.Form->Summary + "\n";
    }
    return text + "\n„zellora-cli BEFEHL --help“ beschreibt einen Befehl genauer.\n";
}

int OverallUsageError(const std::string& problem) {
    WriteError("zellora-cli: " + problem + "\n" + OverallUsage());
    return ExitUsage;
}

int Help(const std::vector<std::string>& args) {
    if (args.size() == 1)
        return WriteOutput(OverallUsage()) ? ExitOk : ExitFailed;
    const Command* command = args.size() == 2 ? FindCommand(args[1]) : nullptr;
    if (!command)
        return OverallUsageError(args.size() == 2 ? "unbekannter Befehl: " + args[1]
                                                  : "help erwartet höchstens einen Befehl");
    return ShowCommandHelp(*command->Form);
}

int RunCommandLine(const std::vector<std::string>& args) {
    if (args.empty())
        return OverallUsageError("Befehl fehlt");
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help")
        return Help(args);
    if (name == "--version")
        return WriteOutput("zellora-cli " ZELLORA_VERSION "\n") ? ExitOk : ExitFailed;
    const Command* command = FindCommand(name);
    if (!command)
        return OverallUsageError("unbekannter Befehl: " + name);
    CommandLine line;
    int exit = ExitOk;
    if (!ReadOrAnswer(*command->Form, args, line, exit))
        return exit;
    return command->Run(line);
}

} // namespace

int RunCli(const std::vector<std::string>& args) {
    try {
        return RunCommandLine(args);
    } catch (const std::bad_alloc&) {
        WriteError("zellora-cli: nicht genug Speicher frei\n");
        return ExitFailed;
    }
}
