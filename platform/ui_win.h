// Everything that asks the user something or hands work to another program goes through
// one table, so that the GUI tests can answer in the user's place and see what was asked.
// The boxes and the shared file dialog that every window of the editor uses live here too.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shellapi.h>

#include <initializer_list>
#include <new>
#include <string>

struct UiFunctions {
    int(WINAPI* ShowMessage)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
    BOOL(WINAPI* OpenFileDialog)(OPENFILENAMEW* record);
    BOOL(WINAPI* SaveFileDialog)(OPENFILENAMEW* record);
    PIDLIST_ABSOLUTE(WINAPI* BrowseForFolder)(BROWSEINFOW* info);
    BOOL(WINAPI* PathFromIdList)(PCIDLIST_ABSOLUTE list, wchar_t* path);
    HINSTANCE(WINAPI* ShellOpen)
    (HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
     const wchar_t* directory, int show);
};

// The real system functions.
extern const UiFunctions SystemUi;
// What the program calls; SystemUi unless a test put its own answers in.
extern UiFunctions Ui;

// The one file-dialog record of the program, prepared before every file dialog.
extern OPENFILENAMEW FileDialogRecord;

// The texts the boxes below show; the program gives its own before the first box.
struct BoxTexts {
    std::u16string ProgramName;        // the caption of warnings
    std::u16string Untitled;           // stands in for an empty argument
    std::u16string SystemErrorCaption; // the caption of the system's error texts
    std::u16string NameTooLong;        // %s: a name chosen in the save dialog that does not fit
};
extern BoxTexts ShownBoxTexts;

// A file name, title or folder fits the system's buffers with at most this many characters.
constexpr size_t MaxNameLength = MAX_PATH - 1;

// A warning with the caption "Zellora" and the exclamation icon. With an argument the format
// is filled with it, an empty argument reading "(unbenannt)".
int WarningBox(const std::u16string& format, const std::u16string& argument, HWND owner);
int WarningBox(const std::u16string& text, HWND owner);

// The system's text for the last error, captioned "GetLastError", information icon, no owner.
void SystemErrorBox();
// The same for a text taken earlier (the core keeps the reason of its last failure).
void SystemErrorBox(const std::u16string& text);

// The loader's parse message and other reports of the core, shown as a warning without owner.
void TellUserInBox(const std::u16string& text, const std::u16string& caption);

// The system's display title of a file name, or the part behind the last backslash when the
// system has none.
std::u16string FileTitleOf(const std::u16string& path);

// filter: caption, pattern, caption, pattern, ... each ended by a NUL, one more NUL at the end.
// title: the dialog's caption, which must outlive the dialog; none for the system's own.
void PrepareFileDialog(HWND owner, const char16_t* filter, const char16_t* title = nullptr);
// The open dialog on FileDialogRecord; path is the proposed name on entry and the chosen one
// afterwards, title the chosen file's title.
bool RunOpenDialog(HWND owner, std::u16string& path, std::u16string& title);
// The save dialog on FileDialogRecord, proposing the filter nFilterIndex names (the first when
// it names none). A chosen name without an extension gets the one of the
// filter the user picked, so that the file shows in the program's own filters. Sets writeUtf8
// to 1 whether or not the user confirmed: a file saved under a new name is written as UTF-8.
// A name that would no longer fit is refused with a warning.
bool RunSaveDialog(HWND owner, std::u16string& path, std::u16string& title, int& writeUtf8);

// What a window or dialog procedure answers: the handler's result, or 0 (not handled) when
// memory ran out, so that no exception crosses into the system.
template <typename Handler, typename... Arguments>
auto AnswerWithoutThrowing(Handler handle, Arguments... arguments) {
    try {
        return handle(arguments...);
    } catch (const std::bad_alloc&) {
        return decltype(handle(arguments...))(0);
    }
}
