#include "tests/gui/gui_harness.h"

#include <commctrl.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/startup.h"
#include "base/text.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "paths/settings_file.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"

UiScript Script;
std::u16string TestFolder;
std::u16string TestSimulatorFolder;

void PrintTo(const std::u16string& text, std::ostream* os) {
    *os << '"' << Utf16ToUtf8(text) << '"';
}

std::u16string Wide(const std::string& utf8) {
    return Utf8ToUtf16(utf8);
}
std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

std::u16string WriteTestFile(const std::string& name, const std::string& bytes) {
    const std::u16string path = TestFolder + Wide(name);
    HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(written, bytes.size()) << name;
    return path;
}

std::string ReadTestFile(const std::u16string& path) {
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), ReadOk) << Narrow(path);
    return bytes;
}

void DeleteTestFile(const std::u16string& path) {
    DeleteFileW(W(path));
}

std::vector<std::u16string> NamesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(W(folder + u"*"), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::u16string name = U(found.cFileName);
        if (name != u"." && name != u"..")
            names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::u16string CurrentDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    return U(buffer);
}

RECT ChildRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::u16string SystemText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string result = text != nullptr ? U(text) : u"";
    LocalFree(text);
    while (!result.empty() && (result.back() == u'\r' || result.back() == u'\n')) {
        result.pop_back();
    }
    return result;
}

namespace {

int WINAPI ScriptedMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    Script.Messages.push_back({U(text), U(caption), flags, owner});
    if ((flags & MB_TYPEMASK) == MB_OK) {
        return IDOK;
    }
    if (Script.MessageAnswers.empty()) {
        ADD_FAILURE() << "unanswered question: " << Narrow(U(text));
        return IDCANCEL;
    }
    const int answer = Script.MessageAnswers.front();
    Script.MessageAnswers.pop_front();
    return answer;
}

std::u16string FilterText(const wchar_t* filter) {
    std::u16string text;
    if (filter == nullptr) {
        return text;
    }
    const char16_t* part = U(filter);
    while (*part != u'\0') {
        const std::u16string piece = part;
        text += piece;
        text += u'\0';
        part += piece.size() + 1;
    }
    return text;
}

// Answers as the system's dialog would, including making the chosen file's folder current.
BOOL ScriptedFileDialog(bool save, OPENFILENAMEW* record) {
    FileDialogCall call;
    call.Save = save;
    call.Proposed = record->lpstrFile != nullptr ? U(record->lpstrFile) : u"";
    call.Filter = FilterText(record->lpstrFilter);
    call.DefaultExtension = record->lpstrDefExt != nullptr ? U(record->lpstrDefExt) : u"";
    call.Title = record->lpstrTitle != nullptr ? U(record->lpstrTitle) : u"";
    call.FilterIndex = record->nFilterIndex;
    call.Flags = record->Flags;
    call.StructSize = record->lStructSize;
    call.Owner = record->hwndOwner;
    Script.Dialogs.push_back(call);
    if (Script.DialogAnswers.empty()) {
        ADD_FAILURE() << "unanswered file dialog";
        return FALSE;
    }
    const FileDialogAnswer answer = Script.DialogAnswers.front();
    Script.DialogAnswers.pop_front();
    if (!answer.Confirm) {
        return FALSE;
    }
    const size_t slash = answer.Path.rfind(u'\\');
    const std::u16string title = answer.Path.substr(slash + 1);
    if (answer.Path.size() >= record->nMaxFile || title.size() >= record->nMaxFileTitle) {
        return FALSE; // the system refuses a name that does not fit the buffer
    }
    std::copy(answer.Path.begin(), answer.Path.end(), record->lpstrFile);
    record->lpstrFile[answer.Path.size()] = L'\0';
    std::copy(title.begin(), title.end(), record->lpstrFileTitle);
    record->lpstrFileTitle[title.size()] = L'\0';
    record->nFilterIndex = answer.FilterIndex;
    SetCurrentDirectoryW(W(answer.Path.substr(0, slash + 1)));
    return TRUE;
}

BOOL WINAPI ScriptedOpen(OPENFILENAMEW* record) {
    return ScriptedFileDialog(false, record);
}
BOOL WINAPI ScriptedSave(OPENFILENAMEW* record) {
    return ScriptedFileDialog(true, record);
}

PIDLIST_ABSOLUTE WINAPI ScriptedBrowse(BROWSEINFOW*) {
    ADD_FAILURE() << "unexpected folder browser";
    return nullptr;
}

BOOL WINAPI ScriptedPath(PCIDLIST_ABSOLUTE, wchar_t*) {
    return FALSE;
}

HINSTANCE WINAPI ScriptedShell(HWND owner, const wchar_t* verb, const wchar_t* file,
                               const wchar_t* parameters, const wchar_t* directory, int show) {
    Script.ShellCalls.push_back({owner, verb != nullptr ? U(verb) : u"", U(file),
                                 parameters != nullptr, directory != nullptr, show});
    INT_PTR answer = 42;
    if (!Script.ShellAnswers.empty()) {
        answer = Script.ShellAnswers.front();
        Script.ShellAnswers.pop_front();
    }
    return reinterpret_cast<HINSTANCE>(answer);
}

const UiFunctions ScriptedUi = {ScriptedMessage, ScriptedOpen, ScriptedSave,
                                ScriptedBrowse,  ScriptedPath, ScriptedShell};

void CreateFolder(const std::u16string& path) {
    CreateDirectoryW(W(path), nullptr);
}

// Before any main window exists: a simulator folder in options.cfg, so that creating the
// window does not ask for one.
void PrepareProcess() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::u16string modulePath = U(module);
    ProgramFolder = modulePath.substr(0, modulePath.rfind(u'\\') + 1);
    TestFolder = ProgramFolder + u"gui_test_files\\";
    TestSimulatorFolder = TestFolder + u"Simulator\\";
    CreateFolder(TestFolder);
    CreateFolder(TestSimulatorFolder);
    const std::string options = "\xEF\xBB\xBF" + Narrow(TestSimulatorFolder);
    HANDLE file = CreateFileW(W(ProgramFolder + OptionsFileName), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, options.data(), DWORD(options.size()), &written, nullptr);
    CloseHandle(file);

    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ConnectMessageBoxes();
    Ui = ScriptedUi;
    RegisterMainWindowClass(GetModuleHandleW(nullptr));
}

} // namespace

void ShellTest::SetUp() {
    Script = UiScript{};
    Ui = ScriptedUi;
    CurrentDocument = GroupDocument{};
    DocumentEdits.Undo.clear();
    DocumentEdits.Redo.clear();
    CurrentPath.clear();
    CurrentTitle.clear();
    DocumentOpen = false;
    Modified = false;
    SelectedIndex = -1;
    OpenAfterExport = true;
    DocumentUtf8 = false;
    WriteUtf8 = 0;
    // Each test starts without a remembered window place or recent files.
    DeleteFileW(W(ProgramFolder + SettingsFileName));
    Settings = EditorSettings{};
    SetCurrentDirectoryW(W(ProgramFolder));
    // Left hidden: under Xvfb, without a window manager, Wine waits two seconds for each
    // shown top-level window to be withdrawn again.
    Window = CreateMainWindow(GetModuleHandleW(nullptr), L"");
    ASSERT_NE(Window, nullptr);
}

void ShellTest::TearDown() {
    if (IsWindow(Window)) {
        Modified = false;
        DestroyWindow(Window);
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(Script.MessageAnswers.empty()) << "unused answers to questions";
    EXPECT_TRUE(Script.DialogAnswers.empty()) << "unused answers to file dialogs";
}

std::u16string ShellTest::Caption() const {
    wchar_t text[512] = {};
    GetWindowTextW(Window, text, 512);
    return U(text);
}

std::vector<std::u16string> ShellTest::ListLines() const {
    std::vector<std::u16string> lines;
    const LRESULT count = SendMessageW(EntryList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<wchar_t> buffer(size_t(SendMessageW(EntryList, LB_GETTEXTLEN, i, 0)) + 1);
        SendMessageW(EntryList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        lines.push_back(U(buffer.data()));
    }
    return lines;
}

bool ShellTest::Visible(HWND window) {
    return window != nullptr && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT ShellTest::Command(WORD id) const {
    return SendMessageW(Window, WM_COMMAND, id, 0);
}

void ShellTest::Open(const std::u16string& path) const {
    SendMessageW(Window, UM_OPENDOCUMENT, reinterpret_cast<WPARAM>(W(path)), 0);
}

void ShellTest::Pump() const {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    PrepareProcess();
    return RUN_ALL_TESTS();
}
