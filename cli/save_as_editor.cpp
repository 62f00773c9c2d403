#include "cli/save_as_editor.h"

#include <cstdio>

#include "cli/commands.h"
#include "document/messages.h"
#include "document/text.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

namespace {

void PrintError(const std::u16string& text) {
    std::string line = Utf16ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
}

} // namespace

int SaveAsEditor(GroupDocument& document, const std::u16string& out) {
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
