// Drives the real Zellora.exe from a second process to one entry of the example station:
// selects its line, checks that the entry panel shows that entry's fields and fits in the
// window, keeps a picture of the window, and closes the editor, which asks nothing. Writes "PASS"
// or the first failure into the result file.
//
// zellora_panel_driver ZELLORA.EXE FILE LINE SCREENSHOT.BMP RESULT
#include <windows.h>

#include <fstream>
#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver_support.h"

namespace {

// The panel is the main window's one dialog child.
HWND VisiblePanel(HWND main) {
    for (int i = 0; i < 50; ++i) {
        HWND panel = FindWindowExW(main, nullptr, L"#32770", nullptr);
        if (panel != nullptr && IsWindowVisible(panel)) {
            return panel;
        }
        Sleep(100);
    }
    return nullptr;
}

std::string Run(const std::wstring& program, const std::wstring& file, int line,
                const std::wstring& screenshot) {
    // As Explorer passes a file whose path has no blank: the name without quotes.
    const std::wstring argument =
        file.find(L' ') == std::wstring::npos ? file : L"\"" + file + L"\"";
    std::wstring commandLine = L"\"" + program + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return "cannot start " + ToUtf8(program);
    }
    CloseHandle(process.hThread);
    auto fail = [&](const std::string& why) {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        return why;
    };

    HWND main = WaitForWindow(process.dwProcessId, L"Zellora", nullptr, 300);
    if (main == nullptr) {
        return fail("no main window");
    }
    HWND list = GetDlgItem(main, IDC_ENTRY_LIST);
    for (int i = 0; i < 100 && SendMessageW(list, LB_GETCOUNT, 0, 0) <= line; ++i) {
        Sleep(100);
    }
    SendMessageW(list, LB_SETCURSEL, WPARAM(line), 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    HWND panel = VisiblePanel(main);
    if (panel == nullptr) {
        return fail("the panel is not shown");
    }
    // The linden tree of the station: turned by 90 degrees, half again as large far away,
    // hidden in winter.
    const std::pair<int, const wchar_t*> fields[] = {
        {IDC_POSITION_X, L"-25.00"}, {IDC_POSITION_Z, L"-8.00"}, {IDC_ROTATION_X, L"90.00"},
        {IDC_ZOOM_FACTOR, L"1.50"},  {IDC_HIDE_ON, L"Winter"},   {IDC_SHOW_ON, L""},
    };
    for (const auto& [id, expected] : fields) {
        const std::wstring shown = Text(GetDlgItem(panel, id));
        if (shown != expected) {
            return fail("field " + std::to_string(id) + " shows \"" + ToUtf8(shown) + "\"");
        }
    }
    // The whole panel fits in the window as the system's metrics make it.
    RECT client{};
    RECT panelFrame{};
    GetClientRect(main, &client);
    GetWindowRect(panel, &panelFrame);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&panelFrame), 2);
    if (panelFrame.bottom > client.bottom) {
        return fail("the panel ends " + std::to_string(panelFrame.bottom - client.bottom) +
                    " pixels below the window's edge");
    }
    const std::wstring name = Text(GetDlgItem(panel, IDC_FILE_NAME));
    if (name.size() < 12 || name.compare(name.size() - 12, 12, L"Linde.fzlobj") != 0) {
        return fail("file field shows \"" + ToUtf8(name) + "\"");
    }
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(1500);
    if (!SaveScreen(main, screenshot)) {
        return fail("cannot write the screenshot");
    }

    // Showing an entry is no change: closing asks nothing.
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        const bool asked = WaitForWindow(process.dwProcessId, L"#32770", main, 1) != nullptr;
        return fail(asked ? "closing asks to save an unchanged document"
                          : "the editor did not end");
    }
    CloseHandle(process.hProcess);
    return "PASS";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        return 2;
    }
    const std::string result = Run(argv[1], argv[2], _wtoi(argv[3]), argv[4]);
    std::ofstream(argv[5]) << result << "\n";
    return result == "PASS" ? 0 : 1;
}
