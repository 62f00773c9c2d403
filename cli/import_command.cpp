#include "cli/import_command.h"

#include <cstdio>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "base/text.h"
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/save_as_editor.h"
#include "document/messages.h"
#include "platform/platform.h"

namespace {

bool ReadStandardInput(std::string& text) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY); // the bytes as the script sent them
#endif
    char block[1 << 16];
    size_t got;
    while ((got = fread(block, 1, sizeof block, stdin)) > 0)
        text.append(block, got);
    return !ferror(stdin);
}

// "-" reads standard input, so that a script can pipe its JSON in.
bool ReadJsonText(const std::string& native, std::string& text) {
    if (native == "-") {
        if (ReadStandardInput(text))
            return true;
        PrintError(u"Die Standardeingabe konnte nicht gelesen werden");
        return false;
    }
    std::u16string path = FromNativePath(native);
    ReadResult read = ReadWholeFile(path, text);
    if (read == ReadOk)
        return true;
    PrintError(read == ReadNoMemory
                   ? FillText(Texts::OpenNoMemory, {FileNameOf(path)})
                   : FillText(Texts::OpenFailed, {FileNameOf(path), LastSystemErrorText()}));
    return false;
}

int Import(const std::string& jsonFile, const std::u16string& out, const CommandLine& a) {
    std::string text;
    if (!ReadJsonText(jsonFile, text))
        return ExitFailed;
    JsonDocument read;
    std::u16string problem;
    if (!ReadJsonDocument(text, read, problem)) {
        PrintError(problem);
        return ExitFailed;
    }
    std::string().swap(text);
    // As a save in the editor: names shortened against the root and the target's folder.
    return SaveAsEditor(read.Document, out, read.WriteUtf8 != 0,
                        a.HasRoot ? a.Root : std::u16string());
}

int ImportNamed(const CommandLine& a, std::u16string& title) {
    std::u16string json, out;
    if (a.Operands[0] != "-" && !ProgramPath(a.Operands[0], json))
        return ExitFailed;
    if (!ProgramPath(a.Operands[1], out))
        return ExitFailed;
    // Named as the other commands name a file they could not read: by its title.
    title = json.empty() ? u"Die Standardeingabe" : FileNameOf(json);
    return Import(a.Operands[0], out, a);
}

} // namespace

const CommandForm ImportForm{
    "import",
    "JSON AUS",
    "speichert ein JSON-Dokument, wie es info ausgibt, als Gruppenobjektdatei AUS",
    "Speichert ein JSON-Dokument, wie es info ausgibt, als Gruppenobjektdatei AUS, wie es der\n"
    "Editor beim Speichern tut (JSON - liest die Standardeingabe).\n"
    "Rückgabewert: 0 gespeichert, 1 wenn das JSON nicht passt oder AUS nicht geschrieben\n"
    "werden kann (AUS bleibt dann, wie es war), 2 bei falschem Aufruf.\n",
    {RootOption},
    2,
    2,
    "import erwartet JSON und AUS"};

int RunImport(const CommandLine& a) {
    std::u16string title = u"JSON"; // until the arguments name it
    try {
        return ImportNamed(a, title);
    } catch (const std::bad_alloc&) {
        PrintError(FillText(Texts::OpenNoMemory, {title}));
        return ExitFailed;
    }
}
