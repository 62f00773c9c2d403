// Drives the real Zellora.exe from a second process to one entry of the example station:
// selects its line, checks that the entry panel shows that entry's fields, keeps a picture
// of the window, and closes the editor without saving. Writes "PASS" or the first failure
// into the result file.
//
// zellora_panel_driver ZELLORA.EXE FILE LINE SCREENSHOT.BMP RESULT
#include <windows.h>

#include <fstream>
#include <string>

#include "resources/resource.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], size, nullptr,
                        nullptr);
    return bytes;
}

std::wstring Text(HWND window) {
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK,
                        5000, nullptr);
    return buffer;
}

struct Search {
    DWORD Process;
    const wchar_t* ClassName;
    HWND Owner;
    HWND Found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    Search& search = *reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process == search.Process && lstrcmpiW(className, search.ClassName) == 0 &&
        (search.Owner == nullptr || GetWindow(window, GW_OWNER) == search.Owner) &&
        IsWindowVisible(window)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD process, const wchar_t* className, HWND owner, int tenths) {
    for (int i = 0; i < tenths; ++i) {
        Search search{process, className, owner, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.Found != nullptr) {
            return search.Found;
        }
        Sleep(100);
    }
    return nullptr;
}

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

bool SaveScreen(HWND window, const std::wstring& path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = DWORD((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * DWORD(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.write(static_cast<const char*>(pixels), std::streamsize(imageSize));
    const bool written = bool(out);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

std::string Run(const std::wstring& program, const std::wstring& file, int line,
                const std::wstring& screenshot) {
    std::wstring commandLine = L"\"" + program + L"\" \"" + file + L"\"";
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
    const std::wstring name = Text(GetDlgItem(panel, IDC_FILE_NAME));
    if (name.size() < 12 || name.compare(name.size() - 12, 12, L"Linde.fzlobj") != 0) {
        return fail("file field shows \"" + ToUtf8(name) + "\"");
    }
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(1500);
    if (!SaveScreen(main, screenshot)) {
        return fail("cannot write the screenshot");
    }

    // Showing an entry counts as a change, so closing may ask; the answer is No.
    PostMessageW(main, WM_CLOSE, 0, 0);
    HWND prompt = WaitForWindow(process.dwProcessId, L"#32770", main, 50);
    if (prompt != nullptr) {
        HWND no = GetDlgItem(prompt, IDNO);
        PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                     reinterpret_cast<LPARAM>(no));
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        return fail("the editor did not end");
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
