#include "app/document_commands.h"

#include "app/document_changes.h"
#include "app/later_dialogs.h"
#include "app/plan_window.h"
#include "app/recent_files.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "app/window_layout.h"
#include "base/text.h"
#include "document/loader.h"
#include "document/writer.h"
#include "app/entry_panel.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

void ShowDocumentControls(int show) {
    ShowWindow(EntryList, show);
    ShowWindow(AddButton, show);
    ShowWindow(RemoveButton, show);
}

void HidePanel() {
    if (EntryPanel != nullptr) {
        ShowWindow(EntryPanel, SW_HIDE);
    }
}

// The panel stands below the list wherever the window's size has put the list's lower edge.
void OpenPanel() {
    EntryPanel = CreateEntryPanel(MainWindow);
    ArrangeControls(MainWindow);
}

void ClosePanel() {
    if (EntryPanel != nullptr) {
        DestroyWindow(EntryPanel);
        EntryPanel = nullptr;
    }
}

void ForgetDocumentName() {
    CurrentPath.clear();
    CurrentTitle.clear();
}

bool HasExtension(const std::u16string& path, const std::u16string& extension) {
    return path.size() >= extension.size() &&
           EqualsIgnoreCase(path.substr(path.size() - extension.size()), extension);
}

std::u16string WithoutQuotes(const wchar_t* text) {
    std::u16string path = text != nullptr ? U(text) : u"";
    if (!path.empty() && path.front() == u'"') {
        path.erase(0, 1);
    }
    if (!path.empty() && path.back() == u'"') {
        path.pop_back();
    }
    return path;
}

int WriteDocumentTo(const std::u16string& path) {
    SetDocumentFolder(path);
    if (SaveGroupDocument(path, &CurrentDocument) != 1) {
        SystemErrorBox(LastSystemErrorText());
        DocumentFolder.clear();
        return 0;
    }
    if (UnicodeLost) {
        WarningBox(TextUnicodeLost, EntryPanel);
    }
    return 1;
}

} // namespace

void ShowLoadFailure(LoadResult result) {
    switch (result) {
    case LoadOk: break;
    case LoadObjectFile: WarningBox(TextIsObjectFile, CurrentTitle, MainWindow); break;
    case LoadXmlError: WarningBox(TextBadXml, CurrentTitle, MainWindow); break;
    case LoadOpenFailed:
        WarningBox(FillText(TextOpenFailed, {CurrentTitle.empty() ? TextUntitled : CurrentTitle,
                                             LastSystemErrorText()}),
                   MainWindow);
        break;
    case LoadNoMemory: WarningBox(TextNoMemory, CurrentTitle, MainWindow); break;
    case LoadNotGroupFile:
        // The panel that would own this box was closed before loading.
        WarningBox(TextNotGroupFile, CurrentTitle, nullptr);
        break;
    }
}

void UpdateCaption(const std::u16string& title) {
    const std::u16string shown = title.empty() ? TextUntitled : title;
    const std::u16string caption =
        FillText(TextCaptionFormat,
                 {TextProgramName, Modified && DocumentOpen ? TextChangedMark + shown : shown});
    SetWindowTextW(MainWindow, W(caption));
    UpdatePlanCaption();
}

int SavePrompt(const std::u16string& title) {
    const std::u16string text = FillText(TextSavePrompt, {title.empty() ? TextUntitled : title});
    const int answer =
        Ui.ShowMessage(MainWindow, W(text), W(TextProgramName), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
        return SendMessageW(MainWindow, WM_COMMAND, IDM_SAVE, 0) == 0 ? IDCANCEL : IDYES;
    }
    return answer == IDNO ? IDNO : IDCANCEL;
}

void OnNew() {
    if (Modified && SavePrompt(CurrentTitle) == IDCANCEL) {
        return;
    }
    FreeGroupDocument(&CurrentDocument);
    CurrentDocument.HeaderText = std::u16string(NewDocumentHeader);
    DocumentOpen = true;
    CurrentPath = TextUntitled;
    CurrentTitle = TextUntitled;
    BeginHistory(DocumentEdits, false); // a new document is unsaved work from the start
    ClearEntryList();
    ShowDocumentControls(SW_SHOWNORMAL);
    ClosePanel();
    OpenPanel();
}

void OnOpen() {
    if (Modified && SavePrompt(CurrentTitle) == IDCANCEL) {
        return;
    }
    PrepareFileDialog(MainWindow, FilterOpen);
    std::u16string path = CurrentPath;
    std::u16string title = CurrentTitle;
    // The open document is given up only for a chosen file: a cancel keeps it as it was.
    if (!RunOpenDialog(MainWindow, path, title)) {
        return;
    }
    OpenInPlaceOfDocument(path, &title);
}

void OpenInPlaceOfDocument(const std::u16string& path, const std::u16string* title) {
    FreeGroupDocument(&CurrentDocument);
    ClearEntryList();
    BeginHistory(DocumentEdits, true);
    DocumentOpen = true;
    SendMessageW(MainWindow, UM_OPENDOCUMENT, reinterpret_cast<WPARAM>(W(path)),
                 reinterpret_cast<LPARAM>(title != nullptr ? W(*title) : nullptr));
}

void OnOpenDroppedFile(const std::u16string& path) {
    if (Modified && SavePrompt(CurrentTitle) == IDCANCEL) {
        return;
    }
    OpenInPlaceOfDocument(path, nullptr);
}

void OnOpenDocument(const wchar_t* pathText, const wchar_t* titleText) {
    std::u16string path = WithoutQuotes(pathText);
    std::u16string title = titleText != nullptr ? U(titleText) : FileTitleOf(path);
    if (path.size() > MaxNameLength || title.size() > MaxNameLength) {
        WarningBox(TextNameTooLong, path, MainWindow);
        return;
    }
    CurrentPath = path;
    CurrentTitle = title;
    ClosePanel();

    // Relative names in the file belong to the file's own folder, wherever the program was
    // started from.
    const bool resolveBefore = ResolveAgainstFileFolder;
    ResolveAgainstFileFolder = true;
    const LoadResult result = LoadGroupDocument(CurrentPath, &CurrentDocument);
    ResolveAgainstFileFolder = resolveBefore;

    DocumentUtf8 = WriteUtf8 != 0;
    DocumentOpen = true;
    BeginHistory(DocumentEdits, true);
    if (result != LoadOk) {
        ShowLoadFailure(result);
        if (result == LoadNotGroupFile) {
            FreeGroupDocument(&CurrentDocument);
        }
        ShowDocumentControls(SW_HIDE);
        HidePanel();
        ForgetDocumentName();
        DocumentOpen = false;
    }
    UpdateCaption(CurrentTitle);
    if (!CurrentPath.empty()) {
        OpenPanel();
        ShowDocumentControls(SW_SHOWNORMAL);
    } else {
        ShowWindow(EntryList, SW_HIDE);
        HidePanel();
    }
    if (!RefillEntryList()) {
        DocumentOpen = false;
        ShowWindow(EntryList, SW_HIDE);
        HidePanel();
        WarningBox(TextListFillFailed, CurrentTitle, MainWindow);
        ForgetDocumentName();
    } else if (result == LoadOk) {
        NoteRecentDocument(CurrentPath);
    }
}

int OnSave() {
    if (!CommitFocusedField(EntryPanel)) {
        return 0;
    }
    WriteUtf8 = DocumentUtf8 ? 1 : 0;
    if (!DocumentOpen || CurrentPath.empty() || CurrentPath == TextUntitled) {
        return OnSaveAs();
    }
    if (WriteDocumentTo(CurrentPath) == 0) {
        return 0;
    }
    MarkSaved(DocumentEdits);
    NoteModified(false);
    DocumentFolder.clear();
    NoteRecentDocument(CurrentPath);
    return 1;
}

int OnSaveAs() {
    if (!CommitFocusedField(EntryPanel)) {
        return 0;
    }
    PrepareFileDialog(MainWindow, FilterSave);
    // The type of the current file is proposed: a group file stays a group file.
    FileDialogRecord.nFilterIndex = HasExtension(CurrentPath, u".fzlgrp") ? 2 : 1;
    const std::u16string kept = CurrentPath;
    // Save as proposes the name without its extension; the first character is never taken for
    // the full stop.
    CutAtLastFullStop(CurrentPath, 1);
    // The dialog leaves WriteUtf8 set: a document saved under a new name is written as UTF-8.
    if (DocumentOpen && RunSaveDialog(MainWindow, CurrentPath, CurrentTitle, WriteUtf8)) {
        if (WriteDocumentTo(CurrentPath) == 0) {
            return 0;
        }
        MarkSaved(DocumentEdits);
        NoteModified(false);
        UpdateCaption(CurrentTitle);
        DocumentUtf8 = WriteUtf8 != 0;
        DocumentFolder.clear();
        NoteRecentDocument(CurrentPath);
        return 1;
    }
    CurrentPath = kept;
    CurrentTitle = FileTitleOf(kept);
    return 0;
}

void OnExport() {
    if (!DocumentOpen || !CommitFocusedField(EntryPanel)) {
        return;
    }
    PrepareFileDialog(MainWindow, FilterExport, TextExportTitle);
    ShowExportDialog(MainWindow);
    DocumentFolder.clear();
}

void OnAdjustPaths() {
    ShowPathsDialog(MainWindow, DocumentOpen ? 0 : 1);
}

void OnToggleOpenAfterExport() {
    OpenAfterExport = !OpenAfterExport;
    CheckMenuItem(GetMenu(MainWindow), IDM_OPEN_AFTER_EXPORT,
                  MF_BYCOMMAND | (OpenAfterExport ? MF_CHECKED : MF_UNCHECKED));
}

void OnHelp() {
    // The help document lies beside the program; the folder stays current afterwards.
    SetCurrentFolder(ProgramFolder);
    const HINSTANCE started = Ui.ShellOpen(MainWindow, W(TextOpenVerb), W(TextHelpFile), nullptr,
                                           nullptr, SW_SHOWMAXIMIZED);
    if (reinterpret_cast<INT_PTR>(started) <= 32) {
        WarningBox(TextCannotOpen, TextHelpFile, MainWindow);
    }
}

void OnInfo() {
    ShowAboutBox(MainWindow);
}

void OnExit() {
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
}
