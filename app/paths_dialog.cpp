#include "app/paths_dialog.h"

#include <new>
#include <vector>

#include "app/later_dialogs.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "paths/root_search.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

// The folder being set while the dialog is open.
std::u16string PathBuffer;

void ShowFolder(HWND dialog, const std::u16string& folder) {
    SetDlgItemTextW(dialog, IDC_PATH_SHOWN, W(folder));
}

void OnInitPathsDialog(HWND dialog, LPARAM mode) {
    SendDlgItemMessageW(dialog, IDC_PATH_SHOWN, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont),
                        TRUE);
    if (mode == 1) {
        SetDlgItemTextW(dialog, IDCANCEL, W(TextPathsCloseInMode1));
        ShowWindow(GetDlgItem(dialog, IDC_ADJUST_PATH_NAMES), SW_HIDE);
    }
    PathBuffer.clear();
    std::u16string stored;
    ReadOptionsFile(stored);
    ShowFolder(dialog, stored);
}

bool BrowseStep(HWND dialog) {
    std::u16string picked;
    if (BrowseForRootFolder(dialog, picked)) {
        PathBuffer = PickedFolderWithBackslash(picked);
    }
    if (PathBuffer.empty()) {
        WarningBox(TextBadPath, dialog);
        return false;
    }
    return true;
}

// A store that fails leaves the old file and SimulatorRoot; the user is not told.
void StoreStep(HWND dialog) {
    SetCurrentFolder(ProgramFolder);
    if (WriteOptionsFile(PathBuffer)) {
        ShowFolder(dialog, SimulatorRoot);
    }
}

void OnSetPath(HWND dialog) {
    PathBuffer.clear();
    if (BrowseStep(dialog)) {
        StoreStep(dialog);
    }
}

void OnSearchPath(HWND dialog) {
    PathBuffer = FolderFromRegistry();
    if (PathBuffer.empty() && !BrowseStep(dialog)) {
        return;
    }
    StoreStep(dialog);
}

// Only the names in memory change; the user saves them when he wants to, and is asked
// before they are lost.
void OnAdjustNames(HWND dialog) {
    RenameEntries(DocumentEdits, MakeRelativePath);
    RefillEntryList(); // filled anew, with no line selected, however many names changed
    EndDialog(dialog, IDC_ADJUST_PATH_NAMES);
}

INT_PTR OnPathsCommand(HWND dialog, WORD id) {
    // clang-format off
    switch (id) {
    case IDCANCEL:              EndDialog(dialog, IDCANCEL); break;
    case IDC_SET_PATH:          OnSetPath(dialog); break;
    case IDC_SEARCH_PATH:       OnSearchPath(dialog); break;
    case IDC_ADJUST_PATH_NAMES: OnAdjustNames(dialog); break;
    default:                    return FALSE;
    }
    // clang-format on
    return TRUE;
}

INT_PTR HandlePathsMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitPathsDialog(dialog, lParam); return TRUE;
    case WM_COMMAND: return OnPathsCommand(dialog, LOWORD(wParam));
    }
    return FALSE;
}

} // namespace

bool BrowseForRootFolder(HWND owner, std::u16string& folder) {
    if (ShellAllocator == nullptr) {
        return false;
    }
    wchar_t* displayName = static_cast<wchar_t*>(ShellAllocator->Alloc(MAX_PATH * sizeof(wchar_t)));
    if (displayName == nullptr) {
        return false;
    }
    displayName[0] = L'\0';
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = W(TextBrowseTitle);
    bool picked = false;
    PIDLIST_ABSOLUTE item = Ui.BrowseForFolder(&info);
    if (item != nullptr) {
        std::vector<wchar_t> path(MAX_PATH, L'\0');
        if (Ui.PathFromIdList(item, path.data())) {
            path.back() = L'\0';
            folder = U(path.data());
            picked = !folder.empty();
        }
        ShellAllocator->Free(item);
    }
    ShellAllocator->Free(displayName);
    return picked;
}

std::u16string FolderFromRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(InstallKey), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::u16string folder;
    DWORD size = 0;
    if (RegQueryValueExW(key, W(InstallPathsValue), nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        // Zeroed and a few bytes longer than asked, so that a value stored without its
        // terminator still ends.
        std::vector<wchar_t> value(size / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        if (RegQueryValueExW(key, W(InstallPathsValue), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(value.data()), &got) == ERROR_SUCCESS) {
            value.back() = L'\0';
            folder = FolderFromInstallPaths(U(value.data()));
        }
    }
    RegCloseKey(key);
    return folder;
}

INT_PTR CALLBACK PathsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return AnswerWithoutThrowing(HandlePathsMessage, dialog, message, wParam, lParam);
}

void ShowPathsDialog(HWND owner, int mode) {
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_PATHS), owner, PathsDialogProc, mode);
}
