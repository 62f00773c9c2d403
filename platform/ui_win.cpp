#include "platform/ui_win.h"

#include <vector>

#include "base/fill_text.h"
#include "platform/platform.h"
#include "platform/wide.h"

const UiFunctions SystemUi = {
    MessageBoxW,        GetOpenFileNameW,     GetSaveFileNameW,
    SHBrowseForFolderW, SHGetPathFromIDListW, ShellExecuteW,
};
UiFunctions Ui = SystemUi;

OPENFILENAMEW FileDialogRecord;
BoxTexts ShownBoxTexts;

int WarningBox(const std::u16string& format, const std::u16string& argument, HWND owner) {
    const std::u16string text =
        FillText(format, {argument.empty() ? ShownBoxTexts.Untitled : argument});
    return WarningBox(text, owner);
}

int WarningBox(const std::u16string& text, HWND owner) {
    return Ui.ShowMessage(owner, W(text), W(ShownBoxTexts.ProgramName), MB_ICONEXCLAMATION);
}

void SystemErrorBox() {
    SystemErrorBox(LastSystemErrorText());
}

void SystemErrorBox(const std::u16string& text) {
    Ui.ShowMessage(nullptr, W(text), W(ShownBoxTexts.SystemErrorCaption), MB_ICONINFORMATION);
}

void TellUserInBox(const std::u16string& text, const std::u16string& caption) {
    const std::u16string shown = caption.empty() ? ShownBoxTexts.ProgramName : caption;
    Ui.ShowMessage(nullptr, W(text), W(shown), MB_ICONEXCLAMATION);
}

std::u16string FileTitleOf(const std::u16string& path) {
    std::vector<wchar_t> buffer(1024);
    if (!path.empty() && GetFileTitleW(W(path), buffer.data(), WORD(buffer.size())) == 0) {
        return U(buffer.data());
    }
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

void PrepareFileDialog(HWND owner, const char16_t* filter, const char16_t* title) {
    FileDialogRecord = OPENFILENAMEW{};
    FileDialogRecord.lStructSize = sizeof(OPENFILENAMEW);
    FileDialogRecord.hwndOwner = owner;
    FileDialogRecord.lpstrFilter = W(filter);
    FileDialogRecord.nMaxFile = MAX_PATH;
    FileDialogRecord.nMaxFileTitle = MAX_PATH;
    FileDialogRecord.lpstrDefExt = L"txt";
    FileDialogRecord.lpstrTitle = title != nullptr ? W(title) : nullptr;
}

namespace {

// Runs one of the two system dialogs with buffers of the system's size; the record never
// keeps pointers into them afterwards.
bool RunFileDialog(BOOL(WINAPI* dialog)(OPENFILENAMEW*), HWND owner, DWORD flags,
                   std::u16string& path, std::u16string& title) {
    std::vector<wchar_t> file(MAX_PATH, L'\0');
    std::vector<wchar_t> fileTitle(MAX_PATH, L'\0');
    if (path.size() <= MaxNameLength) {
        std::copy(path.begin(), path.end(), file.begin());
    }
    if (title.size() <= MaxNameLength) {
        std::copy(title.begin(), title.end(), fileTitle.begin());
    }
    FileDialogRecord.hwndOwner = owner;
    FileDialogRecord.lpstrFile = file.data();
    FileDialogRecord.nMaxFile = DWORD(file.size());
    FileDialogRecord.lpstrFileTitle = fileTitle.data();
    FileDialogRecord.nMaxFileTitle = DWORD(fileTitle.size());
    FileDialogRecord.Flags = flags;
    const bool chosen = dialog(&FileDialogRecord) != FALSE;
    file.back() = L'\0';
    fileTitle.back() = L'\0';
    FileDialogRecord.lpstrFile = nullptr;
    FileDialogRecord.lpstrFileTitle = nullptr;
    if (chosen) {
        path = U(file.data());
        title = U(fileTitle.data());
    }
    return chosen;
}

// The extension of filter pair `index` (counted from 1) when its pattern names exactly one,
// as "*.fzlgrp" does; empty otherwise.
std::u16string FilterExtension(const wchar_t* filter, DWORD index) {
    if (filter == nullptr) {
        return {};
    }
    const char16_t* part = U(filter);
    DWORD pair = index == 0 ? 1 : index;
    for (DWORD n = 1; *part != u'\0'; ++n) {
        const std::u16string caption = part;
        part += caption.size() + 1;
        const std::u16string pattern = part;
        part += pattern.size() + 1;
        if (n == pair) {
            if (pattern.size() > 2 && pattern.compare(0, 2, u"*.") == 0 &&
                pattern.find_first_of(u"*?;.", 2) == std::u16string::npos) {
                return pattern.substr(2);
            }
            return {};
        }
        if (pattern.empty()) {
            break;
        }
    }
    return {};
}

bool LastComponentHasExtension(const std::u16string& name) {
    const size_t slash = name.find_last_of(u"\\/");
    const size_t dot = name.find_last_of(u'.');
    return dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
}

} // namespace

bool RunOpenDialog(HWND owner, std::u16string& path, std::u16string& title) {
    return RunFileDialog(Ui.OpenFileDialog, owner, OFN_CREATEPROMPT | OFN_HIDEREADONLY, path,
                         title);
}

bool RunSaveDialog(HWND owner, std::u16string& path, std::u16string& title, int& writeUtf8) {
    // The system adds the picked filter's extension to a bare name; "txt" would hide the file
    // from every filter of the program.
    const std::u16string proposed =
        FilterExtension(FileDialogRecord.lpstrFilter, FileDialogRecord.nFilterIndex);
    const wchar_t* preparedExtension = FileDialogRecord.lpstrDefExt;
    if (!proposed.empty()) {
        FileDialogRecord.lpstrDefExt = W(proposed);
    }
    std::u16string chosenPath = path;
    std::u16string chosenTitle = title;
    bool chosen =
        RunFileDialog(Ui.SaveFileDialog, owner, OFN_OVERWRITEPROMPT, chosenPath, chosenTitle);
    FileDialogRecord.lpstrDefExt = preparedExtension;
    writeUtf8 = 1;
    if (!chosen) {
        return false;
    }
    if (!LastComponentHasExtension(chosenPath)) {
        const std::u16string extension =
            FilterExtension(FileDialogRecord.lpstrFilter, FileDialogRecord.nFilterIndex);
        if (!extension.empty()) {
            chosenPath += u"." + extension;
            if (!LastComponentHasExtension(chosenTitle)) {
                chosenTitle += u"." + extension;
            }
        }
    }
    if (chosenPath.size() > MaxNameLength) {
        WarningBox(ShownBoxTexts.NameTooLong, chosenPath, owner);
        return false;
    }
    path = chosenPath;
    title = chosenTitle;
    return true;
}
