#include "app/shell_state.h"

#include "app/plan_window.h"

#include <new>
#include <vector>

#include "panel/entry_lines.h"
#include "platform/wide.h"

GroupDocument CurrentDocument;
EditSession DocumentEdits;
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
HWND PlanWindow = nullptr;
HFONT ListFont = nullptr;
IMalloc* ShellAllocator = nullptr;

namespace {

// The lines as the list shows them, to find those that a change of fields touched.
std::vector<std::u16string> ShownLines;

} // namespace

void RefreshPanel() {
    if (EntryPanel != nullptr) {
        SendMessageW(EntryPanel, UM_REFRESHENTRY, 0, 0);
    }
    ShowPlanSelection();
}

// The panel must not go on editing an entry whose line is gone.
void ClearEntryList() {
    SendMessageW(EntryList, LB_RESETCONTENT, 0, 0);
    ShownLines.clear();
    SelectedIndex = -1;
    RefreshPanel();
}

bool RefillEntryList() {
    SendMessageW(EntryList, LB_RESETCONTENT, 0, 0);
    ShownLines.clear();
    bool filled = true;
    try {
        ShownLines = EntryLines(CurrentDocument);
    } catch (const std::bad_alloc&) {
        filled = false;
    }
    // Painting each line as it comes takes milliseconds per line under Wine.
    const HCURSOR cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SendMessageW(EntryList, WM_SETREDRAW, FALSE, 0);
    size_t characters = 0;
    for (const std::u16string& line : ShownLines) {
        characters += line.size() + 1;
    }
    SendMessageW(EntryList, LB_INITSTORAGE, WPARAM(ShownLines.size()),
                 LPARAM(characters * sizeof(wchar_t)));
    for (size_t i = 0; i < ShownLines.size() && filled; ++i) {
        const LRESULT added =
            SendMessageW(EntryList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(ShownLines[i])));
        filled = added != LB_ERRSPACE && added != LB_ERR;
    }
    SendMessageW(EntryList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(EntryList, nullptr, TRUE);
    SetCursor(cursor);
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(-1), 0);
    SelectedIndex = -1;
    RefreshPanel();
    return filled;
}

void UpdateEntryLines() {
    std::vector<std::u16string> lines = EntryLines(CurrentDocument);
    if (lines.size() != ShownLines.size()) {
        const int32_t selected = SelectedIndex;
        RefillEntryList();
        SelectEntryLine(selected < int32_t(ShownLines.size()) ? selected : -1);
        return;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != ShownLines[i]) {
            SendMessageW(EntryList, LB_DELETESTRING, WPARAM(i), 0);
            SendMessageW(EntryList, LB_INSERTSTRING, WPARAM(i),
                         reinterpret_cast<LPARAM>(W(lines[i])));
        }
    }
    ShownLines = std::move(lines);
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(SelectedIndex), 0);
}

void SelectEntryLine(int64_t line) {
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(line), 0);
    SelectedIndex = int32_t(line);
    RefreshPanel();
}
