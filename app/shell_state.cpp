#include "app/shell_state.h"

#include <commdlg.h>

#include <vector>

#include "platform/wide.h"

GroupDocument CurrentDocument;
std::u16string CurrentPath;
std::u16string CurrentTitle;
bool DocumentOpen = false;
bool Modified = false;
int32_t SelectedIndex = -1;
bool OpenAfterExport = true;
bool DocumentUtf8 = false;
EditorSettings Settings;

std::unique_ptr<ObjectEntry> ClipboardEntry;
std::unique_ptr<FontEntry> ClipboardFont;
CopiedKind ClipboardKind = CopiedKind::None;

HINSTANCE AppInstance = nullptr;
HWND MainWindow = nullptr;
HWND EntryList = nullptr;
HWND AddButton = nullptr;
HWND RemoveButton = nullptr;
HWND EntryPanel = nullptr;
HFONT ListFont = nullptr;
IMalloc* ShellAllocator = nullptr;

std::u16string EntryLineText(const OptText& name) {
    const std::u16string stored = name.value_or(u"");
    std::vector<wchar_t> title(1024, L'\0');
    if (!stored.empty() && GetFileTitleW(W(stored), title.data(), WORD(title.size())) == 0) {
        return U(title.data());
    }
    return stored;
}

namespace {

bool AddLine(const OptText& name) {
    const std::u16string line = EntryLineText(name);
    const LRESULT added =
        SendMessageW(EntryList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(line)));
    return added != LB_ERRSPACE && added != LB_ERR;
}

} // namespace

void RefreshPanel() {
    if (EntryPanel != nullptr) {
        SendMessageW(EntryPanel, UM_REFRESHENTRY, 0, 0);
    }
}

// The panel must not go on editing an entry whose line is gone.
void ClearEntryList() {
    SendMessageW(EntryList, LB_RESETCONTENT, 0, 0);
    SelectedIndex = -1;
    RefreshPanel();
}

bool RefillEntryList() {
    SendMessageW(EntryList, LB_RESETCONTENT, 0, 0);
    for (const auto& entry : CurrentDocument.IObjects) {
        if (!AddLine(entry->Name)) {
            return false;
        }
    }
    for (const auto& entry : CurrentDocument.Objects) {
        if (!AddLine(entry->Name)) {
            return false;
        }
    }
    for (const auto& font : CurrentDocument.Fonts) {
        if (!AddLine(font->Name)) {
            return false;
        }
    }
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(-1), 0);
    SelectedIndex = -1;
    RefreshPanel();
    return true;
}
