#include "app/recent_files.h"

#include <vector>

#include "app/document_commands.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "paths/settings_file.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

HMENU FileMenu() {
    return GetSubMenu(GetMenu(MainWindow), 0);
}

int PositionOf(HMENU menu, UINT id) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == id) {
            return i;
        }
    }
    return count;
}

bool IsSeparator(HMENU menu, int position) {
    return position >= 0 && (GetMenuState(menu, UINT(position), MF_BYPOSITION) & MF_SEPARATOR) != 0;
}

std::u16string FullPathOf(const std::u16string& path) {
    const DWORD size = GetFullPathNameW(W(path), 0, nullptr, nullptr);
    std::vector<wchar_t> full(size + 1, L'\0');
    if (size == 0 || GetFullPathNameW(W(path), DWORD(full.size()), full.data(), nullptr) == 0) {
        return path;
    }
    return U(full.data());
}

void RecentFilesChanged() {
    ShowRecentFiles();
    WriteSettingsFile(Settings);
}

} // namespace

void ShowRecentFiles() {
    HMENU menu = FileMenu();
    if (menu == nullptr) {
        return;
    }
    for (UINT i = 0; i < MaxRecentFiles; ++i) {
        DeleteMenu(menu, IDM_RECENT_FIRST + i, MF_BYCOMMAND);
    }
    // The recent files' own separator stands between the menu's separator and "Beenden".
    const int exit = PositionOf(menu, IDM_EXIT);
    if (IsSeparator(menu, exit - 1) && IsSeparator(menu, exit - 2)) {
        DeleteMenu(menu, UINT(exit - 1), MF_BYPOSITION);
    }
    const std::vector<std::u16string> texts = RecentMenuTexts(Settings.RecentFiles);
    if (texts.empty()) {
        return;
    }
    UINT position = UINT(PositionOf(menu, IDM_EXIT));
    for (size_t i = 0; i < texts.size(); ++i) {
        InsertMenuW(menu, position++, MF_BYPOSITION | MF_STRING, IDM_RECENT_FIRST + i, W(texts[i]));
    }
    InsertMenuW(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void NoteRecentDocument(const std::u16string& path) {
    NoteRecentFile(Settings.RecentFiles, FullPathOf(path));
    RecentFilesChanged();
}

void OnRecentFile(size_t index) {
    if (index >= Settings.RecentFiles.size()) {
        return;
    }
    const std::u16string path = Settings.RecentFiles[index];
    if (!FileExists(path)) {
        WarningBox(TextRecentFileGone, path, MainWindow);
        ForgetRecentFile(Settings.RecentFiles, path);
        RecentFilesChanged();
        return;
    }
    if (Modified && SavePrompt(CurrentTitle) == IDCANCEL) {
        return;
    }
    OpenInPlaceOfDocument(path, nullptr);
}
