// The GUI tests create the real main window in the test process and drive it with messages.
// What the user would answer comes from a script; every box and dialog shown is recorded.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const std::u16string& text, std::ostream* os);

struct ShownMessage {
    std::u16string Text;
    std::u16string Caption;
    UINT Flags = 0;
    HWND Owner = nullptr;
};

struct FileDialogCall {
    bool Save = false;
    std::u16string Proposed; // the file buffer as the program filled it
    std::u16string Filter;   // the filter with its NULs kept
    std::u16string DefaultExtension;
    std::u16string Title;  // empty for the system's own
    DWORD FilterIndex = 0; // the filter proposed
    DWORD Flags = 0;
    DWORD StructSize = 0;
    HWND Owner = nullptr;
};

// A user's answer to a file dialog: the chosen file and the picked filter, or a cancel.
struct FileDialogAnswer {
    bool Confirm = false;
    std::u16string Path;
    DWORD FilterIndex = 1;
};
inline const FileDialogAnswer Cancelled{};

struct ShellCall {
    HWND Owner = nullptr;
    std::u16string Verb;
    std::u16string File;
    bool HasParameters = false;
    bool HasDirectory = false;
    int Show = 0;
};

struct UiScript {
    std::deque<int> MessageAnswers; // for boxes with more than an OK button
    std::deque<FileDialogAnswer> DialogAnswers;
    std::deque<INT_PTR> ShellAnswers;
    std::vector<ShownMessage> Messages;
    std::vector<FileDialogCall> Dialogs;
    std::vector<ShellCall> ShellCalls;
};
extern UiScript Script;

// Folder of the test files, with a trailing backslash; the simulator folder of options.cfg.
extern std::u16string TestFolder;
extern std::u16string TestSimulatorFolder;

std::u16string Wide(const std::string& utf8);
std::string Narrow(const std::u16string& text);
std::u16string WriteTestFile(const std::string& name, const std::string& bytes);
std::string ReadTestFile(const std::u16string& path);
void DeleteTestFile(const std::u16string& path);
// The names of the entries of folder (with a trailing backslash), sorted.
std::vector<std::u16string> NamesIn(const std::u16string& folder);
std::u16string CurrentDirectory();
// A child window's frame in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);
// The system's text for an error code, as the program shows it.
std::u16string SystemText(DWORD code);

// A fresh shell state and main window for each test; the window is gone afterwards.
class ShellTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::u16string Caption() const;
    std::vector<std::u16string> ListLines() const;
    static bool Visible(HWND window);
    LRESULT Command(WORD id) const;
    void Open(const std::u16string& path) const;
    // Runs the message loop until the queue is empty.
    void Pump() const;

    HWND Window = nullptr;
};
