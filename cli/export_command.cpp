#include "cli/export_command.h"

#include <cstdio>

#include "base/text.h"
#include "document/messages.h"
#include "export/flatten.h"
#include "paths/path_utils.h"
#include "platform/folders.h"
#include "platform/platform.h"

namespace {

// What the export dialog is to the editor: it shows the engine's reports and learns when
// the worker is done.
struct ExportWatch {
    std::u16string OutputPath;
    ExportCompletion Completion;
};

void PrintLine(const std::u16string& text) {
    std::string line = Utf16ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
}

void OnReport(void* context, unsigned message, const char16_t* name) {
    ExportWatch& watch = *static_cast<ExportWatch*>(context);
    switch (message) {
    case UM_EXPORTNOTFOUND: {
        std::u16string shown = name && *name ? std::u16string(name) : Texts::Untitled;
        PrintLine(FillText(Texts::ExportNotFound, {shown}));
        break;
    }
    case UM_EXPORTLOOP: PrintLine(FillText(Texts::ExportLoop, {watch.OutputPath})); break;
    case UM_EXPORTCANNOTCREATE:
        PrintLine(FillText(Texts::ExportCannotCreate, {watch.OutputPath}));
        break;
    case UM_EXPORTDONE: {
        watch.Completion.Done = true;
        break;
    }
    }
}

} // namespace

bool ExportCurrentFolder(const std::u16string& root, bool hasRoot, std::u16string& folder) {
    bool usable = hasRoot && IsFolder(root);
    folder = usable ? root : GetCurrentFolder();
    return usable;
}

bool RunExportCommand(GroupDocument& document, const std::u16string& outputPath,
                      const std::u16string& root, bool hasRoot) {
    ExportWatch watch;
    watch.OutputPath = outputPath;
    ExportJob job;
    // As in the editor: without the simulator folder the export still runs, and only
    // root-relative names fail to open.
    if (!ExportCurrentFolder(root, hasRoot, job.CurrentFolder))
        PrintLine(Texts::RootNotSet);
    job.SimulatorRoot = root;
    job.DocumentFolder = DocumentFolderOf(outputPath, root);
    job.OutputPath = outputPath;
    job.Document = &document;
    job.ReportContext = &watch;
    job.Report = OnReport;
    bool started = StartExport(job);
    if (started)
        WaitForExportDone(watch.Completion);
    bool succeeded = job.Succeeded != 0;
    bool inPlace = FinishExportOutput(job);
    if (started && succeeded && !inPlace)
        PrintLine(FillText(Texts::ExportCannotCreate, {outputPath}) + u": " +
                  LastSystemErrorText());
    return inPlace;
}
