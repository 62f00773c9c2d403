#include "cli/save_as_editor.h"

#include "cli/commands.h"
#include "document/messages.h"
#include "document/writer.h"
#include "platform/platform.h"

LoadResult LoadAsEditor(const std::u16string& path, GroupDocument& document, int& writeUtf8) {
    LoadSettings settings;
    settings.ResolveAgainstFileFolder = true;
    settings.CurrentFolder = GetCurrentFolder();
    LoadReport report;
    LoadResult result = LoadGroupDocumentWith(path, &document, settings, report);
    if (report.WriteUtf8 >= 0)
        writeUtf8 = report.WriteUtf8;
    if (result == LoadXmlError)
        TellUser(report.ParseError, u"Zellora");
    return result;
}

int SaveAsEditor(const GroupDocument& document, const std::u16string& out, bool utf8,
                 const std::u16string& root) {
    SaveReport report;
    if (!SaveGroupDocumentWith(out, document, SaveSettingsFor(out, utf8, root), report)) {
        PrintError(out + u": " + report.SystemError);
        return ExitFailed;
    }
    if (report.UnicodeLost)
        PrintError(Texts::UnicodeLostOnSave);
    return ExitOk;
}
