#include "app/main_window.h"

#include <shlobj.h>

#include <new>

#include "app/document_changes.h"
#include "app/document_commands.h"
#include "app/entry_commands.h"
#include "app/file_drop.h"
#include "app/later_dialogs.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

const wchar_t* const MainWindowClassName = L"Zellora";

namespace {

HWND CreateChild(HWND parent, const wchar_t* className, const char16_t* text, int id, DWORD style,
                 int x, int y, int width, int height) {
    return CreateWindowExW(0, className, W(text), WS_CHILD | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW* creation) {
    MainWindow = window;
    if (FAILED(SHGetMalloc(&ShellAllocator))) {
        ShellAllocator = nullptr;
    }
    ReadOptionsFile(SimulatorRoot);
    CurrentDocument = GroupDocument{};
    DocumentEdits.Document = &CurrentDocument;
    DocumentEdits.Listeners = {OnDocumentChanged};
    AppInstance = creation->hInstance;
    const LONG units = GetDialogBaseUnits();
    const int cx = LOWORD(units);
    const int cy = HIWORD(units);
    CurrentTitle = TextStartTitle;

    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    EntryList = CreateChild(window, L"listbox", u"", IDC_ENTRY_LIST,
                            WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_WANTKEYBOARDINPUT, 20, 3 * cy,
                            scrollBar + 50 * cx, 10 * cy);
    AddButton = CreateChild(window, L"button", TextAddButton, IDC_ADD_ENTRY, BS_DEFPUSHBUTTON, 120,
                            cy / 2, scrollBar + 10 * cx, 2 * cy);
    RemoveButton = CreateChild(window, L"button", TextRemoveButton, IDC_REMOVE_ENTRY,
                               BS_DEFPUSHBUTTON, 230, cy / 2, scrollBar + 8 * cx, 2 * cy);
    ListFont = CreateFontW(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, W(TextListFontFace));
    SendMessageW(EntryList, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont), TRUE);
    DragAcceptFiles(window, TRUE);

    if (SimulatorRoot.empty()) {
        ShowPathsDialog(window, 1);
    }
    return 0;
}

void OnEntryListNotify(WORD code) {
    if (code != LBN_SELCHANGE) {
        return;
    }
    SelectedIndex = int32_t(SendMessageW(EntryList, LB_GETCURSEL, 0, 0));
    if (EntryPanel != nullptr) {
        ShowWindow(EntryPanel, SelectedIndex != -1 ? SW_SHOWNORMAL : SW_HIDE);
    }
    RefreshPanel();
}

// One line per command; the result matters only for Save, which the save prompt sends.
bool OnCommand(WORD id, WORD code, LRESULT& result) {
    if ((id == IDC_ADD_ENTRY || id == IDC_REMOVE_ENTRY) && code != BN_CLICKED) {
        return false;
    }
    result = 0;
    // clang-format off
    switch (id) {
    case IDM_NEW:               OnNew(); break;
    case IDM_OPEN:              OnOpen(); break;
    case IDM_SAVE:              result = OnSave(); break;
    case IDM_SAVE_AS:           result = OnSaveAs(); break;
    case IDM_EXIT:              OnExit(); break;
    case IDM_EXPORT:            OnExport(); break;
    case IDM_OPEN_AFTER_EXPORT: OnToggleOpenAfterExport(); break;
    case IDM_HELP:              OnHelp(); break;
    case IDM_INFO:              OnInfo(); break;
    case IDM_ADJUST_PATHS:      OnAdjustPaths(); break;
    case IDM_COPY:              OnCopyEntry(); break;
    case IDM_PASTE:             OnPasteEntry(); break;
    case IDM_UNDO:              OnUndo(); break;
    case IDM_REDO:              OnRedo(); break;
    case IDC_ENTRY_LIST:        OnEntryListNotify(code); break;
    case IDC_ADD_ENTRY:         OnAddEntry(); break;
    case IDC_REMOVE_ENTRY:      OnRemoveEntry(); break;
    default:                    return false;
    }
    // clang-format on
    return true;
}

void OnClose(HWND window) {
    if (Modified && SavePrompt(CurrentTitle) == IDCANCEL) {
        return;
    }
    DestroyWindow(window);
}

void OnDestroy() {
    DeleteObject(ListFont);
    ListFont = nullptr;
    if (ClipboardEntry != nullptr) {
        FreeObjectEntry(ClipboardEntry);
    }
    FreeGroupDocument(&CurrentDocument);
    BeginHistory(DocumentEdits, true);
    if (ClipboardFont != nullptr) {
        FreeFontEntry(ClipboardFont);
    }
    if (ShellAllocator != nullptr) {
        ShellAllocator->Release();
        ShellAllocator = nullptr;
    }
    // The children go with the main window.
    EntryList = AddButton = RemoveButton = EntryPanel = nullptr;
    MainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam)); break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), result)) {
            return result;
        }
        break;
    case WM_INITMENUPOPUP: UpdateMenuState(reinterpret_cast<HMENU>(wParam)); break;
    case WM_VKEYTOITEM:
        // Entf in the entry list removes the selected entry, as "Löschen" does.
        if (LOWORD(wParam) == VK_DELETE && reinterpret_cast<HWND>(lParam) == EntryList) {
            OnRemoveEntry();
            return -2;
        }
        return -1;
    case WM_DROPFILES: OnDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE: OnClose(window); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case UM_OPENDOCUMENT:
        OnOpenDocument(reinterpret_cast<const wchar_t*>(wParam),
                       reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK MeasuringProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The entry panel's frame in the main window's client area, as the system's current metrics
// and the panel's dialog font make it: a panel made only to be measured, never shown.
RECT PanelFrame(HWND window, HINSTANCE instance) {
    RECT frame{};
    HWND measured = CreateDialogParamW(instance, ResourceName, window, MeasuringProc, 0);
    if (measured != nullptr) {
        GetWindowRect(measured, &frame);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&frame), 2);
        DestroyWindow(measured);
    }
    return frame;
}

// The window's height is chosen so that the whole panel fits below the list, with as much
// room below it as it has on its left; caption, menu and borders are measured, not assumed.
void FitHeightToPanel(HWND window, HINSTANCE instance) {
    const RECT panel = PanelFrame(window, instance);
    if (panel.bottom <= 0) {
        return;
    }
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    const int height = frameHeight + panel.bottom + panel.left;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return AnswerWithoutThrowing(HandleMessage, window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, ResourceName);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = ResourceName;
    windowClass.lpszClassName = MainWindowClassName;
    return RegisterClassW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const wchar_t* commandLine) {
    HWND window = CreateWindowExW(0, MainWindowClassName, W(TextProgramName), WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 470, 585, nullptr, nullptr,
                                  instance, const_cast<wchar_t*>(commandLine));
    if (window != nullptr) {
        FitHeightToPanel(window, instance);
    }
    return window;
}
