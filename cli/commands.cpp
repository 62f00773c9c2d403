#include "cli/commands.h"

#include <cstdio>

#include "base/text.h"
#include "cli/check_command.h"
#include "cli/export_command.h"
#include "cli/import_command.h"
#include "cli/json.h"
#include "cli/plan_command.h"
#include "cli/save_as_editor.h"
#include "document/loader.h"
#include "document/messages.h"
#include "document/writer.h"
#include "paths/path_utils.h"
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
    std::string line = Utf16ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
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

const char* const UsageText =
    "Aufruf:\n"
    "  zellora-cli info DATEI\n"
    "  zellora-cli resave [--encoding utf-8|iso-8859-1] [--root ORDNER] EIN AUS\n"
    "  zellora-cli export [--root ORDNER] EIN AUS\n"
    "  zellora-cli import [--root ORDNER] JSON AUS\n"
    "  zellora-cli plan [--root ORDNER] [--flat] EIN AUS.svg\n"
    "  zellora-cli check [--root ORDNER] [--format text|json|sarif] [--json] [--jobs N] PFAD...\n"
    "  zellora-cli --help | --version\n"
    "\n"
    "info    liest eine Gruppenobjektdatei und gibt ihren Inhalt als JSON aus.\n"
    "resave  liest EIN und speichert es nach AUS, wie es der Editor tut.\n"
    "export  loest die verschachtelten Gruppen von EIN auf und schreibt eine flache\n"
    "        Datei AUS, wie der Export des Editors.\n"
    "import  speichert ein JSON-Dokument, wie es info ausgibt, als Gruppenobjektdatei AUS\n"
    "        (JSON - liest die Standardeingabe).\n"
    "plan    zeichnet die Eintraege von EIN von oben als SVG-Bild AUS.svg; mit --flat\n"
    "        aufgeloest wie beim Export, jede Gruppendatei in ihrer Farbe.\n"
    "check   prueft alle Gruppendateien unter PFAD auf fehlende oder falsche Verweise und\n"
    "        Endlosschleifen; je Befund eine Zeile (mit --format json oder --json als JSON),\n"
    "        mit --format sarif ein SARIF-2.1.0-Protokoll fuer CI-Systeme.\n";

int Usage(const char* problem) {
    if (problem)
        fprintf(stderr, "zellora-cli: %s\n", problem);
    fputs(UsageText, stderr);
    return ExitUsage;
}

struct Options {
    std::string Encoding;
    std::string Root;
    bool HasRoot = false;
    std::vector<std::string> Files;
};

// Reads --encoding and --root; false when an option is unknown or lacks its value.
bool ReadOptions(const std::vector<std::string>& args, size_t first, bool allowEncoding,
                 Options& options, std::string& problem) {
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool isEncoding = allowEncoding && arg == "--encoding";
        if ((isEncoding || arg == "--root") && i + 1 >= args.size()) {
            problem = arg + " braucht einen Wert";
            return false;
        }
        if (isEncoding) {
            options.Encoding = args[++i];
            if (options.Encoding != "utf-8" && options.Encoding != "iso-8859-1") {
                problem = "unbekannte Kodierung: " + options.Encoding;
                return false;
            }
        } else if (arg == "--root") {
            options.Root = args[++i];
            options.HasRoot = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            problem = "unbekannte Option: " + arg;
            return false;
        } else {
            options.Files.push_back(arg);
        }
    }
    return true;
}

bool RootFolder(const std::string& native, std::u16string& root) {
    if (!ProgramPath(native, root))
        return false;
    if (root.back() != u'\\')
        root += u'\\';
    return true;
}

// Loads a file as the editor's Open would, with names completed against its folder.
LoadResult LoadForCli(const std::u16string& path, GroupDocument& document) {
    ResolveAgainstFileFolder = true;
    std::u16string working = path;
    LoadResult result = LoadGroupDocument(working, &document);
    ResolveAgainstFileFolder = false;
    return result;
}

// A file that is not a group file is refused with the editor's Open message.
bool LoadGroupFileOrSay(const std::u16string& path, GroupDocument& document) {
    LoadResult result = LoadForCli(path, document);
    if (result == LoadOk)
        return true;
    std::u16string system = result == LoadOpenFailed ? LastSystemErrorText() : std::u16string();
    PrintError(OpenResultMessage(result, FileNameOf(path), system));
    return false;
}

int RunInfo(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return Usage("info erwartet genau eine Datei");
    std::u16string path;
    if (!ProgramPath(args[1], path))
        return ExitFailed;
    GroupDocument document;
    LoadResult result = LoadForCli(path, document);
    JsonOutput out;
    out.File = stdout;
    WriteDocumentJson(out, result, WriteUtf8, document);
    // A full disk or a closed pipe must not pass for a complete document.
    if (fflush(stdout) != 0 || ferror(stdout)) {
        PrintError(u"Die Ausgabe konnte nicht vollständig geschrieben werden");
        return ExitFailed;
    }
    return (result == LoadOk || result == LoadObjectFile) ? ExitOk : ExitFailed;
}

int RunResave(const std::vector<std::string>& args) {
    Options options;
    std::string problem;
    if (!ReadOptions(args, 1, true, options, problem))
        return Usage(problem.c_str());
    if (options.Files.size() != 2)
        return Usage("resave erwartet EIN und AUS");
    std::u16string in, out, root;
    if (!ProgramPath(options.Files[0], in) || !ProgramPath(options.Files[1], out) ||
        (options.HasRoot && !RootFolder(options.Root, root)))
        return ExitFailed;
    SimulatorRoot = root;
    GroupDocument document;
    if (!LoadGroupFileOrSay(in, document))
        return ExitFailed;
    if (!options.Encoding.empty())
        WriteUtf8 = options.Encoding == "utf-8" ? 1 : 0;
    return SaveAsEditor(document, out);
}

int RunExport(const std::vector<std::string>& args) {
    Options options;
    std::string problem;
    if (!ReadOptions(args, 1, false, options, problem))
        return Usage(problem.c_str());
    if (options.Files.size() != 2)
        return Usage("export erwartet EIN und AUS");
    std::u16string in, out, root;
    if (!ProgramPath(options.Files[0], in) || !ProgramPath(options.Files[1], out) ||
        (options.HasRoot && !RootFolder(options.Root, root)))
        return ExitFailed;
    GroupDocument document;
    if (!LoadGroupFileOrSay(in, document))
        return ExitFailed;
    return RunExportCommand(document, out, root, options.HasRoot) ? ExitOk : ExitFailed;
}

} // namespace

int RefuseInexactName(const std::string& name) {
    fprintf(stderr,
            "zellora-cli: %s: Dieser Name kann nicht genau dargestellt werden: er oder der "
            "aktuelle Ordner enthält Bytes, die kein UTF-8 sind, oder einen \\. Nichts wurde "
            "gelesen oder geschrieben.\n",
            Printable(name).c_str());
    return ExitFailed;
}

int RunCli(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage(nullptr);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(UsageText, stdout);
        return ExitOk;
    }
    if (command == "--version") {
        puts("zellora-cli " ZELLORA_VERSION);
        return ExitOk;
    }
    if (command == "info")
        return RunInfo(args);
    if (command == "resave")
        return RunResave(args);
    if (command == "export")
        return RunExport(args);
    if (command == "check")
        return RunCheckCommand(args);
    if (command == "import")
        return RunImport(args, Usage);
    if (command == "plan")
        return RunPlan(args, Usage);
    return Usage(("unbekannter Befehl: " + command).c_str());
}
