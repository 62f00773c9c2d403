// Start-up of the editor: the program folder, the file named on the command line, the main
// window and the message loop.
#pragma once

#include <windows.h>

#include <string>

// The full path of the program file.
std::u16string ModuleFilePath();
// The file name in a command line: whatever follows the program's path (quoted or not),
// without the blanks around it. A quoted name keeps its quotes; opening drops them.
std::u16string PickCommandLineFileName(const std::u16string& commandLine,
                                       const std::u16string& modulePath);
// Routes each message: accelerators first (but for Ctrl+C and Ctrl+V in a text field of the
// panel), then Tab through the main window's controls and the panel's fields, then the entry
// panel's other keyboard navigation, then the window. Answers the code of the WM_QUIT that
// ends it.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
// The keyboard part of that: true when message was handled and must not be dispatched.
bool RouteKeyMessage(HWND mainWindow, HACCEL accelerators, MSG& message);
// Hands the core's reports and the editor's texts to the message boxes.
void ConnectMessageBoxes();
// The whole run of the editor; the process's exit code.
int RunEditor(HINSTANCE instance, int showCommand);
