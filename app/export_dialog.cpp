#include "app/export_dialog.h"

#include "app/later_dialogs.h"
#include "app/plan_window.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "document/messages.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

std::u16string ExportFileName = TextUntitled;
GroupDocument ExportDocument;
ExportJob CurrentExportJob;

namespace {

// Set once the user has cancelled: the dialog then only waits for the worker to finish.
bool CancelPending = false;

// The engine's reports become the dialog's messages, handled before the worker goes on.
void ReportToDialog(void* context, unsigned message, const char16_t* name) {
    SendMessageW(static_cast<HWND>(context), message, reinterpret_cast<WPARAM>(name), 0);
}

void PrepareJob(HWND dialog) {
    ExportJob& job = CurrentExportJob;
    job.OutputPath = ExportFileName;
    job.Document = &ExportDocument;
    job.Output = OutputFile();
    job.KeepRunning = 1;
    job.Succeeded = 1;
    job.ReportContext = dialog;
    job.Report = ReportToDialog;
}

void OnInitExportDialog(HWND dialog) {
    CancelPending = false;
    // The last export's name without its extension, the full stop looked for down to the third
    // character.
    CutAtLastFullStop(ExportFileName, 2);
    std::u16string title;
    if (!RunSaveDialog(dialog, ExportFileName, title, WriteUtf8)) {
        EndDialog(dialog, 0);
        return;
    }
    SetDocumentFolder(ExportFileName);
    // An incomplete snapshot would export a part of the document as if it were all of it.
    if (!SnapshotDocument()) {
        WarningBox(TextNoMemory, CurrentTitle, dialog);
        EndDialog(dialog, 0);
        return;
    }
    PrepareJob(dialog);
    if (!ReadOptionsFile(SimulatorRoot) || !SetCurrentFolder(SimulatorRoot)) {
        WarningBox(Texts::RootNotSet, dialog);
    }
    // The engine works with the editor's folders as they stand now.
    CurrentExportJob.CurrentFolder = GetCurrentFolder();
    CurrentExportJob.SimulatorRoot = SimulatorRoot;
    CurrentExportJob.DocumentFolder = DocumentFolder;
    // When the output cannot be created, UM_EXPORTCANNOTCREATE has ended the dialog already.
    StartExport(CurrentExportJob);
}

// The worker reads the snapshot and writes the output until it reports UM_EXPORTDONE, so a
// cancel only tells it to stop and waits for that report.
void OnCancel(HWND dialog) {
    if (CancelPending) {
        return;
    }
    CancelPending = true;
    CurrentExportJob.KeepRunning = 0;
    CurrentExportJob.Succeeded = 0;
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
}

void OnExportDone(HWND dialog) {
    const bool succeeded = CurrentExportJob.Succeeded != 0;
    const bool inPlace = FinishExportOutput(CurrentExportJob);
    if (inPlace && OpenAfterExport) {
        Ui.ShellOpen(dialog, W(TextOpenVerb), W(ExportFileName), nullptr, nullptr,
                     SW_SHOWMAXIMIZED);
    }
    // The worker wrote everything, but the file could not be put in its place.
    if (succeeded && !inPlace) {
        WarningBox(Texts::ExportCannotCreate, ExportFileName, dialog);
    }
    CurrentExportJob.OutputPath.clear();
    FreeGroupDocument(&ExportDocument);
    SetCurrentFolder(ProgramFolder);
    Sleep(100);
    EndDialog(dialog, inPlace ? 1 : 0);
}

void OnNotFound(HWND dialog, const char16_t* name) {
    DiscardOutputFile(CurrentExportJob.Output);
    WarningBox(Texts::ExportNotFound, name != nullptr ? name : u"", dialog);
}

void OnLoop(HWND dialog) {
    DiscardOutputFile(CurrentExportJob.Output);
    WarningBox(Texts::ExportLoop, ExportFileName, dialog);
}

void OnCannotCreate(HWND dialog) {
    WarningBox(Texts::ExportCannotCreate, ExportFileName, dialog);
    CurrentExportJob.Succeeded = 0;
    SendMessageW(dialog, UM_EXPORTDONE, 0, 0);
}

INT_PTR HandleExportMessage(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitExportDialog(dialog); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) {
            return FALSE;
        }
        OnCancel(dialog);
        return TRUE;
    case UM_EXPORTDONE: OnExportDone(dialog); return TRUE;
    case UM_EXPORTNOTFOUND:
        OnNotFound(dialog, reinterpret_cast<const char16_t*>(wParam));
        return TRUE;
    case UM_EXPORTLOOP: OnLoop(dialog); return TRUE;
    case UM_EXPORTCANNOTCREATE: OnCannotCreate(dialog); return TRUE;
    }
    return FALSE;
}

} // namespace

bool SnapshotDocument() {
    return CopyGroupDocument(CurrentDocument, ExportDocument);
}

INT_PTR CALLBACK ExportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AnswerWithoutThrowing(HandleExportMessage, dialog, message, wParam);
}

void ShowExportDialog(HWND owner) {
    HoldPlanWindow(true);
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_EXPORT), owner, ExportDialogProc, 0);
    HoldPlanWindow(false);
}
