#include "cli/commands.h"

#include <cstdio>

#include "cli/check_command.h"
#include "cli/json.h"
#include "document/loader.h"
#include "document/messages.h"
#include "document/text.h"
#include "document/writer.h"
#include "cli/export_command.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

namespace {

const char* const UsageText =
    "Aufruf:\n"
    "  zellora-cli info DATEI\n"
    "  zellora-cli resave [--encoding utf-8|iso-8859-1] [--root ORDNER] EIN AUS\n"
    "  zellora-cli export [--root ORDNER] EIN AUS\n"
    "  zellora-cli check [--root ORDNER] [--json] [--jobs N] PFAD...\n"
    "  zellora-cli --help | --version\n"
    "\n"
    "info    liest eine Gruppenobjektdatei und gibt ihren Inhalt als JSON aus.\n"
    "resave  liest EIN und speichert es nach AUS, wie es der Editor tut.\n"
    "export  loest die verschachtelten Gruppen von EIN auf und schreibt eine flache\n"
    "        Datei AUS, wie der Export des Editors.\n"
    "check   prueft alle Gruppendateien unter PFAD auf fehlende oder falsche Verweise und\n"
    "        Endlosschleifen; je Befund eine Zeile (mit --json als JSON).\n";

void PrintError(const std::u16string& text) {
    std::string line = Utf16ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
}

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

std::u16string RootFolder(const std::string& native) {
    std::u16string root = FromNativePath(native);
    if (root.empty() || root.back() != u'\\')
        root += u'\\';
    return root;
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
    GroupDocument document;
    LoadResult result = LoadForCli(FromNativePath(args[1]), document);
    std::string json = DocumentJson(result, WriteUtf8, document);
    fputs(json.c_str(), stdout);
    return (result == LoadOk || result == LoadObjectFile) ? ExitOk : ExitFailed;
}

int RunResave(const std::vector<std::string>& args) {
    Options options;
    std::string problem;
    if (!ReadOptions(args, 1, true, options, problem))
        return Usage(problem.c_str());
    if (options.Files.size() != 2)
        return Usage("resave erwartet EIN und AUS");
    std::u16string in = FromNativePath(options.Files[0]);
    std::u16string out = FromNativePath(options.Files[1]);
    SimulatorRoot = options.HasRoot ? RootFolder(options.Root) : std::u16string();
    GroupDocument document;
    if (!LoadGroupFileOrSay(in, document))
        return ExitFailed;
    if (!options.Encoding.empty())
        WriteUtf8 = options.Encoding == "utf-8" ? 1 : 0;
    SetDocumentFolder(out);
    int saved = SaveGroupDocument(out, &document);
    DocumentFolder.clear();
    if (!saved) {
        PrintError(out + u": " + LastSystemErrorText());
        return ExitFailed;
    }
    if (UnicodeLost)
        PrintError(Texts::UnicodeLostOnSave);
    return ExitOk;
}

int RunExport(const std::vector<std::string>& args) {
    Options options;
    std::string problem;
    if (!ReadOptions(args, 1, false, options, problem))
        return Usage(problem.c_str());
    if (options.Files.size() != 2)
        return Usage("export erwartet EIN und AUS");
    std::u16string in = FromNativePath(options.Files[0]);
    std::u16string out = FromNativePath(options.Files[1]);
    GroupDocument document;
    if (!LoadGroupFileOrSay(in, document))
        return ExitFailed;
    return RunExportCommand(document, out, options.HasRoot ? RootFolder(options.Root) : u"",
                            options.HasRoot)
               ? ExitOk
               : ExitFailed;
}

} // namespace

int RunCli(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage(nullptr);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(UsageText, stdout);
        return ExitOk;
    }
    if (command == "--version") {
        puts("zellora-cli 1.0.0");
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
    return Usage(("unbekannter Befehl: " + command).c_str());
}
