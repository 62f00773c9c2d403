// Modal dialogs in the GUI tests: the test acts inside the dialog's own message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Runs open(), which shows a modal dialog, and calls act(dialog) from that dialog's message
// loop once the dialog exists. act must end the dialog or let it end; a dialog still open
// after ten seconds is ended with a failure, so that a broken test cannot hang.
void WithModalDialog(const std::function<void()>& open, const std::function<void(HWND)>& act);

// The dialog of this thread that is open now (a message box or file dialog is never real
// in the tests), or null.
HWND OpenDialog();

// The text of a window or a dialog's control.
std::u16string WindowText(HWND window);
