#include "app/main_window.h"

#include <shlobj.h>

#include <algorithm>
#include <new>

#include "app/document_changes.h"
#include "app/document_commands.h"
#include "app/entry_commands.h"
#include "app/entry_panel.h"
#include "app/file_drop.h"
#include "app/later_dialogs.h"
#include "app/plan_window.h"
#include "app/recent_files.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "app/window_layout.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "paths/settings_file.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

const wchar_t* const MainWindowClassName = L"Zellora";

namespace {

POINT ToPoint(SIZE size) {
    return POINT{size.cx, size.cy};
}

// Made without a size: the layout places it.
HWND CreateChild(HWND parent, const wchar_t* className, const char16_t* text, int id, DWORD style) {
    return CreateWindowExW(0, className, W(text), WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
}

// Tab goes Hinzufügen, Löschen, the list, the panel's fields and round again: the order in
// which the controls are made.
LRESULT OnCreate(HWND window, const CREATESTRUCTW* creation) {
    MainWindow = window;
    if (FAILED(SHGetMalloc(&ShellAllocator))) {
        ShellAllocator = nullptr;
    }
    ReadOptionsFile(SimulatorRoot);
    Settings = ReadSettingsFile();
    const EditorSettings stored = Settings;
    CurrentDocument = GroupDocument{};
    DocumentEdits.Document = &CurrentDocument;
    DocumentEdits.Listeners = {OnDocumentChanged, OnPlanDocumentChanged};
    AppInstance = creation->hInstance;
    CurrentTitle = TextStartTitle;

    AddButton =
        CreateChild(window, L"button", TextAddButton, IDC_ADD_ENTRY, BS_DEFPUSHBUTTON | WS_TABSTOP);
    RemoveButton = CreateChild(window, L"button", TextRemoveButton, IDC_REMOVE_ENTRY,
                               BS_DEFPUSHBUTTON | WS_TABSTOP);
    EntryList = CreateChild(window, L"listbox", u"", IDC_ENTRY_LIST,
                            WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                                LBS_WANTKEYBOARDINPUT | WS_TABSTOP);
    const UINT dpi = WindowDpi(window);
    ListFont = CreateListFont(dpi);
    SendMessageW(EntryList, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont), TRUE);
    MeasureLayout(window, dpi);
    FitWindowToContents(window);
    // Where the system put the window, unless it was elsewhere when it last closed; either
    // place is moved wholly onto a monitor.
    RECT frame{};
    GetWindowRect(window, &frame);
    PlaceWindow(window,
                stored.HasWindow ? stored.Window
                                 : ScreenRect{frame.left, frame.top, frame.right, frame.bottom},
                MinimumWindowSize(window));
    ShowRecentFiles();
    DragAcceptFiles(window, TRUE);

    if (SimulatorRoot.empty()) {
        ShowPathsDialog(window, 1);
    }
    return 0;
}

// The list, buttons and panel for the new DPI; the panel is made anew so that its dialog font
// and layout follow, after what was typed into it is committed.
void OnDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    CommitFocusedField(EntryPanel);
    HFONT font = CreateListFont(dpi);
    SendMessageW(EntryList, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    DeleteObject(ListFont);
    ListFont = font;
    MeasureLayout(window, dpi);
    if (EntryPanel != nullptr) {
        DestroyWindow(EntryPanel);
        EntryPanel = CreateEntryPanel(window);
        RefreshPanel();
    }
    const SIZE smallest = MinimumWindowSize(window);
    SetWindowPos(window, nullptr, suggested.left, suggested.top,
                 std::max(suggested.right - suggested.left, smallest.cx),
                 std::max(suggested.bottom - suggested.top, smallest.cy),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeControls(window);
}

// The frame of the window while it is neither maximised nor minimised is what the next start
// restores.
void NoteWindowPlace(HWND window) {
    if (RestorableFrame(window, Settings.Window)) {
        Settings.HasWindow = true;
    }
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
    case IDM_PLAN:              TogglePlanWindow(); break;
    case IDC_ENTRY_LIST:        OnEntryListNotify(code); break;
    case IDC_ADD_ENTRY:         OnAddEntry(); break;
    case IDC_REMOVE_ENTRY:      OnRemoveEntry(); break;
    case IDM_RECENT_FIRST:
    case IDM_RECENT_FIRST + 1:
    case IDM_RECENT_FIRST + 2:
    case IDM_RECENT_FIRST + 3:  OnRecentFile(size_t(id - IDM_RECENT_FIRST)); break;
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

void OnDestroy(HWND window) {
    ClosePlanWindow();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    Settings.Maximized =
        placement.showCmd == SW_SHOWMAXIMIZED ||
        (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
    WriteSettingsFile(Settings);
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
        if (lParam == 0) { // a menu item or a key: never with an entry dragged half way
            CancelPlanDrag();
        }
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
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_SIZE:
        ArrangeControls(window);
        NoteWindowPlace(window);
        break;
    case WM_MOVE: NoteWindowPlace(window); break;
    case WM_GETMINMAXINFO:
        if (EntryList != nullptr) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize =
                ToPoint(MinimumWindowSize(window));
        }
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case UM_OPENDOCUMENT:
        OnOpenDocument(reinterpret_cast<const wchar_t*>(wParam),
                       reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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
    return window;
}

int ShowCommandAtStart(int showCommand) {
    const bool normal =
        showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT || showCommand == SW_SHOW;
    return Settings.Maximized && normal ? SW_SHOWMAXIMIZED : showCommand;
}
