#include "cli/check_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <thread>

#include "base/text.h"
#include "cli/check.h"
#include "cli/check_sarif.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "zellora_version.h"

namespace {

enum class CheckFormat { Text, Json, Sarif };

struct CheckOptions {
    std::u16string Root; // empty: the current directory
    CheckFormat Format = CheckFormat::Text;
    unsigned Jobs = 0;
    std::vector<std::u16string> Paths;
};

// The value of --jobs; 0 when it is not a whole number from 1 to 1024.
unsigned JobCount(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    unsigned jobs = unsigned(std::stoul(text));
    return jobs <= 1024 ? jobs : 0;
}

// False for a usage error (problem set) or for a name the program's form cannot name exactly
// (problem empty, already said).
bool ReadCheckOptions(const std::vector<std::string>& args, CheckOptions& options,
                      std::string& problem) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--root" || arg == "--jobs" || arg == "--format") && i + 1 >= args.size()) {
            problem = arg + " braucht einen Wert";
            return false;
        }
        if (arg == "--root") {
            if (!ProgramPath(args[++i], options.Root)) {
                problem.clear();
                return false;
            }
            if (options.Root.back() != u'\\')
                options.Root += u'\\';
        } else if (arg == "--jobs") {
            options.Jobs = JobCount(args[++i]);
            if (options.Jobs == 0) {
                problem = "--jobs erwartet eine Zahl von 1 bis 1024: " + args[i];
                return false;
            }
        } else if (arg == "--format") {
            const std::string& format = args[++i];
            if (format == "text" || format == "json" || format == "sarif") {
                options.Format = format == "text"   ? CheckFormat::Text
                                 : format == "json" ? CheckFormat::Json
                                                    : CheckFormat::Sarif;
            } else {
                problem = "--format erwartet text, json oder sarif: " + format;
                return false;
            }
        } else if (arg == "--json") {
            options.Format = CheckFormat::Json;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            problem = "unbekannte Option: " + arg;
            return false;
        } else {
            std::u16string path;
            if (!ProgramPath(arg, path)) {
                problem.clear();
                return false;
            }
            options.Paths.push_back(path);
        }
    }
    if (options.Paths.empty()) {
        problem = "check erwartet mindestens eine Datei oder einen Ordner";
        return false;
    }
    return true;
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

int RunCheckCommand(const std::vector<std::string>& args) {
    CheckOptions options;
    std::string problem;
    if (!ReadCheckOptions(args, options, problem)) {
        if (problem.empty())
            return ExitFailed;
        fprintf(stderr, "zellora-cli: %s\n", problem.c_str());
        fputs("Aufruf: zellora-cli check [--root ORDNER] [--format text|json|sarif] [--json] "
              "[--jobs N] PFAD...\n",
              stderr);
        return ExitUsage;
    }
    std::vector<std::u16string> unreadable;
    std::vector<std::string> inexact;
    std::vector<std::u16string> files = FindGroupFiles(options.Paths, unreadable, inexact);
    for (const std::u16string& folder : unreadable)
        PrintError(folder + u" konnte nicht gelesen werden");
    for (const std::string& name : inexact)
        fprintf(stderr,
                "zellora-cli: %s: Dieser Name kann nicht genau dargestellt werden: er enthält "
                "Bytes, die kein UTF-8 sind, oder einen \\. Er wurde nicht geprüft.\n",
                WithoutControls(Printable(name)).c_str());

    CheckSettings settings;
    settings.RootFolder = options.Root.empty() ? GetCurrentFolder() : options.Root;
    settings.Jobs = options.Jobs ? options.Jobs : std::max(1u, std::thread::hardware_concurrency());
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
    for (size_t i = 0; i < run.Findings.size(); ++i) {
        const CheckFinding& finding = run.Findings[i];
        if (i == 0 || run.Findings[i - 1].File != finding.File)
            ++filesWithFindings;
        if (options.Format != CheckFormat::Sarif)
            fputs(FindingLine(finding, natives[finding.File], options.Format == CheckFormat::Json)
                      .c_str(),
                  stdout);
    }
    if (options.Format == CheckFormat::Sarif)
        fputs(SarifLog(run, natives, ToNativePath(GetCurrentFolder()), ZELLORA_VERSION).c_str(),
              stdout);
    fflush(stdout);
    fprintf(stderr, "%zu Dateien geprüft, %zu Befunde in %zu Dateien\n", run.Files.size(),
            run.Findings.size(), filesWithFindings);
    return run.Findings.empty() && unreadable.empty() && inexact.empty() ? ExitOk : ExitFailed;
}
