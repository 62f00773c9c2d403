// Drives the real Zellora.exe from a second process, as a user would: starts it the way the
// system's shell does for a double-clicked file, reads the main window's caption and list,
// keeps a picture of the screen, chooses New, closes the window and answers the real save
// prompt with No. Writes "PASS" or the first failure into the result file.
//
// zellora_e2e_driver ZELLORA.EXE FILE EXPECTED-LINES SCREENSHOT.BMP RESULT
//
// With --start it only starts the editor on the file that way and answers its exit code
// (Wine itself quotes a file name on the command line only when it holds a blank).
//
// zellora_e2e_driver --start ZELLORA.EXE FILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], size, nullptr,
                        nullptr);
    return bytes;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
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

HWND WaitForWindow(DWORD process, const wchar_t* className, HWND owner) {
    for (int i = 0; i < 300; ++i) {
        Search search{process, className, owner, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.Found != nullptr) {
            return search.Found;
        }
        Sleep(100);
    }
    return nullptr;
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

// The window as it is on the screen, frame and caption included, as a 24-bit bitmap file.
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

std::string Run(const std::wstring& program, const std::wstring& file,
                const std::wstring& expectedLines, const std::wstring& screenshot) {
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
    if (!SaveScreen(main, screenshot)) {
        return fail("cannot write the screenshot");
    }

    // New counts as a change, so closing asks.
    PostMessageW(main, WM_COMMAND, IDM_NEW, 0);
    if (!WaitForCaption(main, L"Zellora - (unbenannt)")) {
        return fail("New did not start an untitled document");
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    HWND prompt = WaitForWindow(process.dwProcessId, L"#32770", main);
    if (prompt == nullptr) {
        return fail("no save prompt");
    }
    const std::wstring question = Text(GetDlgItem(prompt, 0xFFFF));
    if (question != L"Veraenderungen in (unbenannt) speichern?" || Text(prompt) != L"Zellora") {
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
    if (argc != 6) {
        std::fputs("usage: zellora_e2e_driver ZELLORA.EXE FILE LINES SHOT.BMP RESULT\n", stderr);
        return 2;
    }
    const std::string result = Run(argv[1], argv[2], argv[3], argv[4]);
    std::ofstream(argv[5]) << result << "\n";
    std::fprintf(stderr, "%s\n", result.c_str());
    return result == "PASS" ? 0 : 1;
}
