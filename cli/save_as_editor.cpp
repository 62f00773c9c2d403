#include "cli/save_as_editor.h"

#include <cstdio>

#include "base/text.h"
#include "cli/commands.h"
#include "document/messages.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

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
