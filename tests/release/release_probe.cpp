// The release test's hands inside Wine: it watches the installed Zellora.exe that the shell
// started for a group file, stands in for the PDF viewer that "Hilfe" starts, and reads the
// version data of the programs and of the installer.
//
// release_probe editor RESULT VIEWER_RECORD   the editor's caption and what "Hilfe" did
// release_probe viewer RECORD FILE            the PDF viewer: writes the full name it was given
// release_probe version FILE                  prints FileVersion and ProductVersion
// release_probe value KEY NAME                prints a text value (NAME @ is the default value)
// release_probe values KEY                    prints the names of a key's values, one a line
// release_probe exists KEY                    exit status 0 when the key exists
// release_probe set KEY NAME DATA             writes a text value
// KEY is HKCU\... or HKLM\...; every exit status but 0 is a failure or an answer "no".
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_support.h"

namespace {

struct Found {
    const wchar_t* ClassName;
    HWND Owner;
    HWND Window;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    Found& found = *reinterpret_cast<Found*>(parameter);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, found.ClassName) == 0 && IsWindowVisible(window) &&
        (found.Owner == nullptr || GetWindow(window, GW_OWNER) == found.Owner)) {
        found.Window = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of any process, as the shell started the editor, not we.
HWND FindTopLevel(const wchar_t* className, HWND owner) {
    Found found{className, owner, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&found));
    return found.Window;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of a message box: its static control, id 0xFFFF.
std::wstring MessageText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text != nullptr ? Text(text) : Text(box);
}

int WatchEditor(const std::wstring& resultPath, const std::wstring& viewerRecord) {
    std::ofstream result(resultPath.c_str(), std::ios::binary);
    HWND editor = nullptr;
    for (int i = 0; i < 600 && editor == nullptr; ++i, Sleep(100))
        editor = FindTopLevel(L"Zellora", nullptr);
    if (editor == nullptr) {
        result << "editor=none\n";
        return 1;
    }
    // The caption changes from "Zellora" once the file is open.
    std::wstring caption = Text(editor);
    for (int i = 0; i < 100 && caption == L"Zellora"; ++i, Sleep(100))
        caption = Text(editor);
    result << "caption=" << ToUtf8(caption) << "\n";
    if (HWND box = FindTopLevel(L"#32770", editor)) {
        result << "message=" << ToUtf8(MessageText(box)) << "\n";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    PostMessageW(editor, WM_COMMAND, IDM_HELP, 0);
    std::string help = "none";
    for (int i = 0; i < 300; ++i, Sleep(100)) {
        if (Exists(viewerRecord)) {
            Sleep(200);
            help = ReadAll(viewerRecord);
            break;
        }
        if (HWND box = FindTopLevel(L"#32770", editor)) {
            help = "message " + ToUtf8(MessageText(box));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            break;
        }
    }
    result << "help=" << help << "\n";

    PostMessageW(editor, WM_CLOSE, 0, 0);
    bool closed = false;
    for (int i = 0; i < 100 && !closed; ++i, Sleep(100))
        closed = !IsWindow(editor);
    result << "closed=" << (closed ? "yes" : "no") << "\n";
    return 0;
}

int RecordViewer(const std::wstring& record, const std::wstring& file) {
    // The shell may hand over the name as the program asked for it, relative to the
    // program folder that it made the current directory; the viewer inherits that folder.
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
    std::ofstream out(record.c_str(), std::ios::binary);
    out << ToUtf8(full);
    return out ? 0 : 1;
}

void Print(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

struct KeyName {
    HKEY Root;
    std::wstring Path;
};

bool SplitKey(const std::wstring& key, KeyName& name) {
    const size_t slash = key.find(L'\\');
    const std::wstring root = key.substr(0, slash);
    name.Path = slash == std::wstring::npos ? L"" : key.substr(slash + 1);
    if (root == L"HKCU")
        name.Root = HKEY_CURRENT_USER;
    else if (root == L"HKLM")
        name.Root = HKEY_LOCAL_MACHINE;
    else
        return false;
    return true;
}

const wchar_t* ValueName(const std::wstring& name) {
    return name == L"@" ? nullptr : name.c_str();
}

int PrintValue(const KeyName& key, const std::wstring& name) {
    DWORD size = 0;
    if (RegGetValueW(key.Root, key.Path.c_str(), ValueName(name), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return 1;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(key.Root, key.Path.c_str(), ValueName(name), RRF_RT_REG_SZ, nullptr, &data[0],
                     &size) != ERROR_SUCCESS)
        return 1;
    data.resize(lstrlenW(data.c_str()));
    Print(ToUtf8(data) + "\n");
    return 0;
}

int PrintValueNames(const KeyName& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(key.Root, key.Path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 1;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        Print(ToUtf8(std::wstring(name, length)) + "\n");
    }
    RegCloseKey(opened);
    return 0;
}

int KeyExists(const KeyName& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(key.Root, key.Path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 1;
    RegCloseKey(opened);
    return 0;
}

int SetValue(const KeyName& key, const std::wstring& name, const std::wstring& data) {
    const DWORD bytes = DWORD((data.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(key.Root, key.Path.c_str(), ValueName(name), REG_SZ, data.c_str(),
                           bytes) == ERROR_SUCCESS
               ? 0
               : 1;
}

int RegistryCommand(const std::wstring& mode, int argc, wchar_t** argv) {
    KeyName key{};
    if (argc < 3 || !SplitKey(argv[2], key))
        return 2;
    if (mode == L"value" && argc == 4)
        return PrintValue(key, argv[3]);
    if (mode == L"values" && argc == 3)
        return PrintValueNames(key);
    if (mode == L"exists" && argc == 3)
        return KeyExists(key);
    if (mode == L"set" && argc == 5)
        return SetValue(key, argv[3], argv[4]);
    return 2;
}

std::wstring VersionString(const std::vector<BYTE>& data, const std::wstring& name) {
    struct Translation {
        WORD Language;
        WORD CodePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation))
        return L"";
    wchar_t path[128];
    wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation->Language, translation->CodePage,
              name.c_str());
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &size))
        return L"";
    return value;
}

int PrintVersion(const std::wstring& file) {
    std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, DWORD(data.size()), data.data()))
        return 1;
    Print(ToUtf8(VersionString(data, L"FileVersion")) + " " +
          ToUtf8(VersionString(data, L"ProductVersion")) + "\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"editor" && argc == 4)
        return WatchEditor(argv[2], argv[3]);
    if (mode == L"viewer" && argc == 4)
        return RecordViewer(argv[2], argv[3]);
    if (mode == L"version" && argc == 3)
        return PrintVersion(argv[2]);
    return RegistryCommand(mode, argc, argv);
}
