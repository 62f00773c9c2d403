#include "cli/check_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <thread>

#include "base/text.h"
#include "cli/check.h"
#include "cli/console.h"
#include "cli/check_sarif.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "zellora_version.h"

namespace {

enum class CheckFormat { Text, Json, Sarif };

bool IsFormat(const std::string& value) {
    return value == "text" || value == "json" || value == "sarif";
}

// A whole number from 1 to 1024.
bool IsJobCount(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned jobs = unsigned(std::stoul(text));
    return jobs >= 1 && jobs <= 1024;
}

CheckFormat FormatOf(const CommandLine& line) {
    // --json is the short form of --format json; the last one given wins.
    CheckFormat format = CheckFormat::Text;
    for (const auto& option : line.Options) {
        if (option.first == "--json")
            format = CheckFormat::Json;
        else if (option.first == "--format")
            format = option.second == "json"    ? CheckFormat::Json
                     : option.second == "sarif" ? CheckFormat::Sarif
                                                : CheckFormat::Text;
    }
    return format;
}

// Redraws one line on standard error at most ten times a second.
struct ProgressLine {
    std::chrono::steady_clock::time_point Last;
    bool Shown = false;
};

void ShowProgress(void* context, size_t loaded) {
    auto& line = *static_cast<ProgressLine*>(context);
    auto now = std::chrono::steady_clock::now();
    if (line.Shown && now - line.Last < std::chrono::milliseconds(100))
        return;
    line.Last = now;
    line.Shown = true;
    fprintf(stderr, "\r%zu Dateien gelesen ...", loaded);
    fflush(stderr);
}

std::string OptJson(const OptText& text) {
    return text ? JsonString(*text) : "null";
}

// Control characters in a name would reach the terminal as commands: shown as JSON shows them.
std::string WithoutControls(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        if (c == 0xC2 && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80)
            code = static_cast<unsigned char>(text[++i]); // U+0080 to U+009F
        else if (c >= 0x20 && c != 0x7F) {
            out += char(c);
            continue;
        }
        char escaped[8];
        snprintf(escaped, sizeof escaped, "\\u%04x", code);
        out += escaped;
    }
    return out;
}

std::string FindingLine(const CheckFinding& finding, const std::string& file, bool json) {
    if (json)
        return "{\"file\": " + JsonString(Utf8ToUtf16(file)) + ", \"problem\": \"" +
               ProblemName(finding.Problem) +
               "\", \"entry\": " + (finding.Entry.empty() ? "null" : "\"" + finding.Entry + "\"") +
               ", \"name\": " + OptJson(finding.Name) +
               ", \"detail\": " + JsonString(finding.Detail) + "}\n";
    return WithoutControls(Printable(file) + ": " + Utf16ToUtf8(FindingText(finding))) + "\n";
}

} // namespace

const CommandForm CheckForm{
    "check",
    "PFAD...",
    "prüft Gruppendateien auf fehlende oder falsche Verweise und Endlosschleifen",
    "Prüft jede Gruppendatei unter PFAD (Dateien oder Ordner, beliebig tief; Verknüpfungen zu\n"
    "Ordnern werden nicht verfolgt) und jeden ihrer Verweise, wie der Export ihn sucht. Je\n"
    "Befund eine Zeile: Datei, Eintrag, Name und Erklärung; am Ende eine Zusammenfassung auf\n"
    "der Standardfehlerausgabe. Befunde: xml-error, object-file, not-a-group-file,\n"
    "unreadable, missing, wrong-kind, bad-reference, loop.\n"
    "Rückgabewert: 0 ohne Befunde, 1 mit Befunden, 2 bei falschem Aufruf.\n",
    {RootOption,
     {"--format", OptionKind::Value, "text|json|sarif",
      "text: je Befund eine Zeile; json: je Befund ein JSON-Objekt; sarif: ein Protokoll im "
      "Format SARIF 2.1.0 für CI-Systeme",
      IsFormat, "text, json oder sarif"},
     {"--json", OptionKind::Switch, nullptr, "kurz für --format json"},
     {"--jobs", OptionKind::Value, "N",
      "so viele Dateien gleichzeitig lesen (1 bis 1024; ohne Angabe eine je Prozessorkern)",
      IsJobCount, "eine Zahl von 1 bis 1024"}},
    1,
    size_t(-1),
    "check erwartet mindestens eine Datei oder einen Ordner"};

int RunCheck(const CommandLine& line) {
    std::vector<std::u16string> paths(line.Operands.size());
    for (size_t i = 0; i < paths.size(); ++i)
        if (!ProgramPath(line.Operands[i], paths[i]))
            return ExitFailed;
    const CheckFormat format = FormatOf(line);
    std::vector<std::u16string> unreadable;
    std::vector<std::string> inexact;
    std::vector<std::u16string> files = FindGroupFiles(paths, unreadable, inexact);
    for (const std::u16string& folder : unreadable)
        PrintError(folder + u" konnte nicht gelesen werden");
    for (const std::string& name : inexact)
        WriteError("zellora-cli: " + WithoutControls(Printable(name)) +
                   ": Dieser Name kann nicht genau dargestellt werden: er enthält Bytes, die "
                   "kein UTF-8 sind, oder einen \\. Er wurde nicht geprüft.\n");

    CheckSettings settings;
    settings.RootFolder = line.HasRoot ? line.Root : GetCurrentFolder();
    settings.Jobs = line.Has("--jobs") ? unsigned(std::stoul(line.Value("--jobs")))
                                       : std::max(1u, std::thread::hardware_concurrency());
    ProgressLine progress;
    if (StandardErrorIsTerminal()) {
        settings.Progress = ShowProgress;
        settings.ProgressContext = &progress;
    }
    CheckRun run;
    try {
        run = CheckGroupFiles(files, settings);
    } catch (const std::bad_alloc&) {
        PrintError(u"Die Prüfung konnte nicht beendet werden, da nicht genug Speicher frei ist");
        return ExitFailed;
    }
    if (progress.Shown)
        fprintf(stderr, "\r%40s\r", ""); // wider than any progress line

    std::vector<std::string> natives;
    for (const std::u16string& file : run.Files)
        natives.push_back(ToNativePath(file));
    size_t filesWithFindings = 0;
    std::string shown;
    for (size_t i = 0; i < run.Findings.size(); ++i) {
        const CheckFinding& finding = run.Findings[i];
        if (i == 0 || run.Findings[i - 1].File != finding.File)
            ++filesWithFindings;
        if (format != CheckFormat::Sarif)
            shown += FindingLine(finding, natives[finding.File], format == CheckFormat::Json);
    }
    if (format == CheckFormat::Sarif)
        shown = SarifLog(run, natives, ToNativePath(GetCurrentFolder()), ZELLORA_VERSION);
    // A full disk or a closed pipe must not pass for a complete report.
    if (!WriteOutput(shown)) {
        PrintError(u"Die Ausgabe konnte nicht vollständig geschrieben werden");
        return ExitFailed;
    }
    WriteError(std::to_string(run.Files.size()) + " Dateien geprüft, " +
               std::to_string(run.Findings.size()) + " Befunde in " +
               std::to_string(filesWithFindings) + " Dateien\n");
    return run.Findings.empty() && unreadable.empty() && inexact.empty() ? ExitOk : ExitFailed;
}
