// Drives the real Zellora.exe from a second process, as a user would: starts it the way the
// system's shell does for a double-clicked file, reads the main window's caption and list,
// keeps pictures of the window, the paths dialog and the about box, turns opening after an
// export off and exports from the menu (answering the real save dialog), chooses New, closes
// the window and answers the real save prompt with No. A second editor exports a large scene
// and is cancelled while its worker runs. Writes "PASS" or the first failure into the result
// file.
//
// zellora_e2e_driver ZELLORA.EXE FILE EXPECTED-LINES SHOT-FOLDER RESULT EXPORT LARGE-FILE
//     LARGE-EXPORT
//
// With --start it only starts the editor on the file that way and answers its exit code
// (Wine itself quotes a file name on the command line only when it holds a blank).
//
// zellora_e2e_driver --start ZELLORA.EXE FILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_support.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WaitForCaption(HWND window, const std::wstring& caption) {
    for (int i = 0; i < 100; ++i) {
        if (Text(window) == caption) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<wchar_t> line(size_t(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line.data());
    }
    return lines;
}

bool Start(const std::wstring& program, const std::wstring& file, PROCESS_INFORMATION& process) {
    // As the system's shell starts a program for a file: both names in quotes.
    std::wstring commandLine = L"\"" + program + L"\" \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    return true;
}

struct DialogSearch {
    DWORD Process;
    const std::function<bool(HWND)>* Accept;
    HWND Found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    DialogSearch& search = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process == search.Process && lstrcmpW(className, L"#32770") == 0 &&
        IsWindowVisible(window) && (*search.Accept)(window)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the process that accept takes, within tenths of a second.
HWND WaitForDialog(DWORD process, const std::function<bool(HWND)>& accept, int tenths = 300) {
    for (int i = 0; i < tenths; ++i) {
        DialogSearch search{process, &accept, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Found != nullptr) {
            return search.Found;
        }
        Sleep(100);
    }
    return nullptr;
}

bool WaitUntil(const std::function<bool()>& condition, int tenths = 300) {
    for (int i = 0; i < tenths; ++i) {
        if (condition()) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The text of a message box the editor shows, for the failure report.
std::string BoxText(HWND box) {
    return ToUtf8(Text(box)) + ": " + ToUtf8(Text(GetDlgItem(box, 0xFFFF)));
}

BOOL CALLBACK FindNameField(HWND child, LPARAM parameter) {
    HWND& field = *reinterpret_cast<HWND*>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    const int id = GetDlgCtrlID(child);
    if (lstrcmpiW(className, L"Edit") == 0 && IsWindowVisible(child) &&
        (field == nullptr || id == 0x480 || id == 0x47C)) {
        field = child;
    }
    return TRUE;
}

// Types the name into the system's save dialog and confirms it.
bool AnswerSaveDialog(HWND dialog, const std::wstring& path) {
    HWND field = nullptr;
    EnumChildWindows(dialog, FindNameField, reinterpret_cast<LPARAM>(&field));
    if (field == nullptr) {
        return false;
    }
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Click(dialog, IDOK);
    return true;
}

// The simulator folder of the pictures: the one a user would have, never a build folder.
const wchar_t* const ExampleRoot = L"C:\\Ferrolino\\";

// Opens a dialog of the editor from its menu, keeps its picture and closes it again. Before
// the picture, the field fieldId (where given) must show fieldText.
std::string LookAtDialog(DWORD process, HWND main, WORD command, const std::wstring& caption,
                         const std::wstring& shot, int closeId, int fieldId = 0,
                         const std::wstring& fieldText = L"") {
    PostMessageW(main, WM_COMMAND, command, 0);
    HWND dialog = WaitForDialog(process, [&](HWND window) {
        return GetWindow(window, GW_OWNER) == main && Text(window) == caption;
    });
    if (dialog == nullptr) {
        return "no dialog \"" + ToUtf8(caption) + "\"";
    }
    if (fieldId != 0 && Text(GetDlgItem(dialog, fieldId)) != fieldText) {
        Click(dialog, closeId);
        return "\"" + ToUtf8(caption) + "\" shows \"" + ToUtf8(Text(GetDlgItem(dialog, fieldId))) +
               "\"";
    }
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(1000);
    if (!SaveScreen(dialog, shot)) {
        return "cannot write " + ToUtf8(shot);
    }
    Click(dialog, closeId);
    if (!WaitUntil([&] { return !IsWindow(dialog) && IsWindowEnabled(main); })) {
        return "\"" + ToUtf8(caption) + "\" did not close";
    }
    return "";
}

// Exports the open document from the menu into path; answers the save dialog in the user's
// place. Any message box on the way is a failure.
std::string ExportFromMenu(DWORD process, HWND main, const std::wstring& path) {
    PostMessageW(main, WM_COMMAND, IDM_EXPORT, 0);
    HWND save = WaitForDialog(process, [&](HWND window) {
        HWND owner = GetWindow(window, GW_OWNER);
        return owner != nullptr && owner != main && GetWindow(owner, GW_OWNER) == main;
    });
    if (save == nullptr) {
        return "no save dialog for the export";
    }
    if (!AnswerSaveDialog(save, path)) {
        return "the save dialog has no name field";
    }
    HWND box = nullptr;
    const bool done = WaitUntil([&] {
        box = WaitForDialog(
            process, [](HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }, 1);
        return box != nullptr || (IsWindowEnabled(main) && !IsWindow(save) && Exists(path));
    });
    if (box != nullptr) {
        return "the export says " + BoxText(box);
    }
    return done ? "" : "the export did not end";
}

// A second editor on a scene that takes a while to export: the export dialog is seen while
// its worker runs, and its cancel leaves no file behind.
std::string CancelLargeExport(const std::wstring& program, const std::wstring& file,
                              const std::wstring& output, const std::wstring& shot) {
    PROCESS_INFORMATION process{};
    if (!Start(program, file, process)) {
        return "cannot start " + ToUtf8(program);
    }
    auto finish = [&](const std::string& why) {
        if (!why.empty()) {
            TerminateProcess(process.hProcess, 99);
        }
        CloseHandle(process.hProcess);
        return why;
    };
    HWND main = WaitForWindow(process.dwProcessId, L"Zellora", nullptr);
    if (main == nullptr ||
        !WaitForCaption(main, L"Zellora - " + file.substr(file.rfind(L'\\') + 1))) {
        return finish("the large scene did not open");
    }
    PostMessageW(main, WM_COMMAND, IDM_EXPORT, 0);
    HWND save = WaitForDialog(process.dwProcessId, [&](HWND window) {
        HWND owner = GetWindow(window, GW_OWNER);
        return owner != nullptr && owner != main;
    });
    if (save == nullptr || !AnswerSaveDialog(save, output)) {
        return finish("no save dialog for the large export");
    }
    HWND progress = WaitForDialog(process.dwProcessId, [&](HWND window) {
        return Text(window) == L"Exportieren" && GetWindow(window, GW_OWNER) == main;
    });
    if (progress == nullptr) {
        return finish("the export dialog was not seen");
    }
    SaveScreen(progress, shot);
    HWND cancel = GetDlgItem(progress, IDCANCEL);
    if (Text(cancel) != L"Abbrechen") {
        return finish("the export dialog's button reads \"" + ToUtf8(Text(cancel)) + "\"");
    }
    Click(progress, IDCANCEL);
    if (!WaitUntil([&] { return !IsWindow(progress) && IsWindowEnabled(main); }, 600)) {
        return finish("the cancelled export did not end");
    }
    if (Exists(output)) {
        return finish("the cancelled export left its file");
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        return finish("the second editor did not end");
    }
    return finish("");
}

// Selects line (-1: none) as a click on it does.
void SelectLine(HWND main, HWND list, int line) {
    SendMessageW(list, LB_SETCURSEL, WPARAM(line), 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

std::string Run(const std::wstring& program, const std::wstring& file,
                const std::wstring& expectedLines, const std::wstring& shots,
                const std::wstring& exported) {
    const std::string before = ReadBytes(file);
    if (before.empty()) {
        return "cannot read " + ToUtf8(file);
    }
    PROCESS_INFORMATION process{};
    if (!Start(program, file, process)) {
        return "cannot start " + ToUtf8(program);
    }
    auto fail = [&](const std::string& why) {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        return why;
    };

    HWND main = WaitForWindow(process.dwProcessId, L"Zellora", nullptr);
    if (main == nullptr) {
        return fail("no main window");
    }
    const std::wstring title = file.substr(file.rfind(L'\\') + 1);
    if (!WaitForCaption(main, L"Zellora - " + title)) {
        return fail("caption is \"" + ToUtf8(Text(main)) + "\"");
    }
    HWND list = GetDlgItem(main, IDC_ENTRY_LIST);
    std::vector<std::wstring> expected;
    std::istringstream lines(ReadBytes(expectedLines));
    for (std::string line; std::getline(lines, line);) {
        expected.push_back(FromUtf8(line));
    }
    const std::vector<std::wstring> shown = ListLines(list);
    if (shown != expected) {
        std::string all;
        for (const std::wstring& line : shown) {
            all += "[" + ToUtf8(line) + "] ";
        }
        return fail("list shows " + all);
    }
    if (!IsWindowVisible(list) || !IsWindowVisible(GetDlgItem(main, IDC_ADD_ENTRY)) ||
        !IsWindowVisible(GetDlgItem(main, IDC_REMOVE_ENTRY))) {
        return fail("list or buttons hidden");
    }
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(1500);
    if (!SaveScreen(main, shots + L"\\zellora.bmp")) {
        return fail("cannot write the screenshot");
    }
    // Made larger, with the linden tree selected: the list takes the room, the panel stands
    // below it. Then "Datei" opens by its letter, as Alt+D does.
    RECT normal{};
    GetWindowRect(main, &normal);
    SetWindowPos(main, nullptr, 0, 0, 760, 720, SWP_NOMOVE | SWP_NOZORDER);
    SelectLine(main, list, 6);
    RedrawWindow(main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(1000);
    if (!SaveScreen(main, shots + L"\\zellora_large.bmp")) {
        return fail("cannot write the screenshot");
    }
    // The plan window beside it, the linden tree still selected; Strg+L closes it again.
    PostMessageW(main, WM_COMMAND, IDM_PLAN, 0);
    HWND plan = WaitForWindow(process.dwProcessId, L"ZelloraLageplan", main);
    if (plan == nullptr || !WaitForCaption(plan, L"Lageplan - " + title)) {
        return fail("no plan window");
    }
    SetWindowPos(plan, nullptr, 230, 40, 760, 560, SWP_NOZORDER);
    RedrawWindow(plan, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(1000);
    if (!SaveScreen(plan, shots + L"\\zellora_plan.bmp")) {
        return fail("cannot write the screenshot");
    }
    PostMessageW(main, WM_COMMAND, IDM_PLAN, 0);
    for (int tenths = 0; IsWindow(plan) && tenths < 100; ++tenths) {
        Sleep(100);
    }
    if (IsWindow(plan)) {
        return fail("the plan window stayed");
    }
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 'd');
    if (WaitForWindow(process.dwProcessId, L"#32768", nullptr) == nullptr) {
        return fail("Alt+D opened no menu");
    }
    PostMessageW(main, WM_CANCELMODE, 0, 0);
    SelectLine(main, list, -1);
    SetWindowPos(main, nullptr, 0, 0, normal.right - normal.left, normal.bottom - normal.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    std::string failure =
        LookAtDialog(process.dwProcessId, main, IDM_ADJUST_PATHS, L"Pfade anpassen",
                     shots + L"\\paths.bmp", IDCANCEL, IDC_PATH_SHOWN, ExampleRoot);
    if (failure.empty()) {
        failure = LookAtDialog(process.dwProcessId, main, IDM_INFO, L"Info", shots + L"\\about.bmp",
                               IDOK);
    }
    if (!failure.empty()) {
        return fail(failure);
    }
    // Nothing may be started for the exported file.
    PostMessageW(main, WM_COMMAND, IDM_OPEN_AFTER_EXPORT, 0);
    failure = ExportFromMenu(process.dwProcessId, main, exported);
    if (!failure.empty()) {
        return fail(failure);
    }

    // New counts as a change, marked in the caption, so closing asks.
    PostMessageW(main, WM_COMMAND, IDM_NEW, 0);
    if (!WaitForCaption(main, L"Zellora - *(unbenannt)")) {
        return fail("New did not start an untitled document");
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    HWND prompt = WaitForWindow(process.dwProcessId, L"#32770", main);
    if (prompt == nullptr) {
        return fail("no save prompt");
    }
    const std::wstring question = Text(GetDlgItem(prompt, 0xFFFF));
    if (question != L"Veränderungen in (unbenannt) speichern?" || Text(prompt) != L"Zellora") {
        return fail("prompt reads \"" + ToUtf8(question) + "\" in \"" + ToUtf8(Text(prompt)) +
                    "\"");
    }
    HWND no = GetDlgItem(prompt, IDNO);
    if (no == nullptr || GetDlgItem(prompt, IDYES) == nullptr ||
        GetDlgItem(prompt, IDCANCEL) == nullptr) {
        return fail("prompt lacks Yes, No or Cancel");
    }
    PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        return fail("the editor did not end");
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    if (exitCode != 0) {
        return "exit code " + std::to_string(exitCode);
    }
    if (ReadBytes(file) != before) {
        return "the file was changed";
    }
    return "PASS";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--start") {
        PROCESS_INFORMATION process{};
        if (!Start(argv[2], argv[3], process)) {
            std::fputs("cannot start the editor\n", stderr);
            return 2;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        return int(exitCode);
    }
    if (argc != 9) {
        std::fputs("usage: zellora_e2e_driver ZELLORA.EXE FILE LINES SHOTS RESULT EXPORT LARGE "
                   "LARGE-EXPORT\n",
                   stderr);
        return 2;
    }
    std::string result = Run(argv[1], argv[2], argv[3], argv[4], argv[6]);
    if (result == "PASS") {
        const std::string failure =
            CancelLargeExport(argv[1], argv[7], argv[8], std::wstring(argv[4]) + L"\\export.bmp");
        if (!failure.empty()) {
            result = failure;
        }
    }
    std::ofstream(argv[5]) << result << "\n";
    std::fprintf(stderr, "%s\n", result.c_str());
    return result == "PASS" ? 0 : 1;
}
