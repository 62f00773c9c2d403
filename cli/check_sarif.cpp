#include "cli/check_sarif.h"

#include <cstdio>

#include "base/text.h"
#include "cli/json.h"

namespace {

const char* ProblemDescription(CheckProblem problem) {
    switch (problem) {
    case ProblemXmlError: return "Die Datei ist keine wohlgeformte XML-Datei";
    case ProblemObjectFile: return "Eine Objektdatei, wo eine Gruppendatei erwartet wird";
    case ProblemNotAGroupFile: return "Weder eine Gruppen- noch eine Objektdatei";
    case ProblemUnreadable: return "Die Datei kann nicht gelesen werden";
    case ProblemMissing: return "Die eingetragene Datei fehlt";
    case ProblemWrongKind: return "Objekt als Gruppe oder Gruppe als Objekt eingetragen";
    case ProblemBadReference: return "Die eingetragene Datei ist keine Gruppen- oder Objektdatei";
    case ProblemLoop: return "Die Gruppe enthält sich über verschachtelte Gruppen selbst";
    }
    return "";
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// A native name as the path of a URI: separators as '/', every other byte that a path
// segment cannot hold as it is percent-encoded.
std::string UriPath(const std::string& native, bool keepDriveColon) {
    std::string out;
    for (size_t i = 0; i < native.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(native[i]);
#ifdef _WIN32
        if (c == '\\')
            c = '/';
#endif
        if (IsUnreserved(c) || c == '/' || (c == ':' && keepDriveColon && i == 1)) {
            out += char(c);
        } else {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string FileUri(const std::string& native) {
    std::string path = UriPath(native, true);
    return "file://" + (path.size() > 0 && path[0] == '/' ? path : "/" + path);
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string WithSeparator(std::string folder) {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    if (folder.empty() || !IsSeparator(folder.back()))
        folder += separator;
    return folder;
}

std::string ArtifactLocation(const std::string& native, const std::string& base) {
    if (native.size() > base.size() && native.compare(0, base.size(), base) == 0)
        return "{\"uri\": \"" + UriPath(native.substr(base.size()), false) +
               "\", \"uriBaseId\": \"%SRCROOT%\"}";
    return "{\"uri\": \"" + FileUri(native) + "\"}";
}

std::string Rules() {
    std::string rules;
    // One rule for each kind, in the order of the kinds: a result's ruleIndex is its kind.
    for (int kind = ProblemXmlError; kind <= ProblemLoop; ++kind) {
        const CheckProblem problem = CheckProblem(kind);
        if (!rules.empty())
            rules += ", ";
        rules += std::string("{\"id\": \"") + ProblemName(problem) +
                 "\", \"shortDescription\": {\"text\": " +
                 JsonString(Utf8ToUtf16(ProblemDescription(problem))) + "}}";
    }
    return rules;
}

std::string Result(const CheckFinding& finding, const std::string& file, const std::string& base) {
    std::string location =
        "{\"physicalLocation\": {\"artifactLocation\": " + ArtifactLocation(file, base) + "}";
    if (!finding.Entry.empty())
        location += ", \"logicalLocations\": [{\"fullyQualifiedName\": \"" + finding.Entry +
                    "\", \"kind\": \"element\"}]";
    location += "}";
    return std::string("{\"ruleId\": \"") + ProblemName(finding.Problem) +
           "\", \"ruleIndex\": " + std::to_string(int(finding.Problem)) +
           ", \"level\": \"error\", \"message\": {\"text\": " + JsonString(FindingText(finding)) +
           "}, \"locations\": [" + location + "]}";
}

} // namespace

std::u16string FindingText(const CheckFinding& finding) {
    if (finding.Entry.empty())
        return finding.Detail;
    return u"Eintrag " + Utf8ToUtf16(finding.Entry) + u" \"" + *finding.Name + u"\": " +
           finding.Detail;
}

std::string SarifLog(const CheckRun& run, const std::vector<std::string>& files,
                     const std::string& baseFolder, const std::string& version) {
    const std::string base = WithSeparator(baseFolder);
    std::string log =
        "{\n  \"$schema\": "
        "\"https://docs.oasis-open.org/sarif/sarif/v2.1.0/os/schemas/sarif-schema-2.1.0.json\",\n"
        "  \"version\": \"2.1.0\",\n  \"runs\": [{\n"
        "    \"tool\": {\"driver\": {\"name\": \"zellora-cli\", \"version\": \"" +
        version + "\", \"rules\": [" + Rules() + "]}},\n" +
        "    \"originalUriBaseIds\": {\"%SRCROOT%\": {\"uri\": \"" + FileUri(base) + "\"}},\n" +
        "    \"results\": [";
    for (size_t i = 0; i < run.Findings.size(); ++i) {
        const CheckFinding& finding = run.Findings[i];
        log += (i ? ",\n      " : "\n      ") + Result(finding, files[finding.File], base);
    }
    log += run.Findings.empty() ? "]\n  }]\n}\n" : "\n    ]\n  }]\n}\n";
    return log;
}
