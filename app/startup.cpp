#include "app/startup.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "base/text.h"
#include "app/entry_panel.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

std::u16string ModuleFilePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::u16string(U(buffer.data()), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// Where the program's own part of the command line ends, with its quotes. The full module
// path, in any letter case, is looked for first, so that an unquoted path with blanks is
// skipped whole; otherwise the part ends at its closing quote or at the first blank.
size_t ProgramPartEnd(const std::u16string& commandLine, const std::u16string& modulePath) {
    const bool quoted = !commandLine.empty() && commandLine.front() == u'"';
    const size_t start = quoted ? 1 : 0;
    size_t end = std::u16string::npos;
    if (!modulePath.empty() &&
        EqualsIgnoreCase(commandLine.substr(start, modulePath.size()), modulePath)) {
        end = start + modulePath.size();
        if (quoted && end < commandLine.size() && commandLine[end] == u'"') {
            ++end;
        }
    } else if (quoted) {
        end = commandLine.find(u'"', start);
        end = end == std::u16string::npos ? end : end + 1;
    } else {
        end = size_t(std::find_if(commandLine.begin(), commandLine.end(), IsBlank) -
                     commandLine.begin());
    }
    return std::min(end, commandLine.size());
}

} // namespace

std::u16string PickCommandLineFileName(const std::u16string& commandLine,
                                       const std::u16string& modulePath) {
    size_t begin = ProgramPartEnd(commandLine, modulePath);
    size_t end = commandLine.size();
    while (begin < end && IsBlank(commandLine[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(commandLine[end - 1])) {
        --end;
    }
    return commandLine.substr(begin, end - begin);
}

namespace {

// In a text field of the panel, Ctrl+C, Ctrl+V and Ctrl+Z copy, paste and undo text, as in
// every other program (Ctrl+Y too stays there); elsewhere they copy and paste entries and undo
// and redo the document's steps.
bool IsTextFieldKey(const MSG& message) {
    const WPARAM key = message.wParam;
    return message.message == WM_KEYDOWN &&
           (key == 'C' || key == 'V' || key == 'Z' || key == 'Y') && IsPanelTextField(message.hwnd);
}

bool IsTabKey(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_TAB;
}

} // namespace

bool RouteKeyMessage(HWND mainWindow, HACCEL accelerators, MSG& message) {
    if (!IsTextFieldKey(message) && TranslateAcceleratorW(mainWindow, accelerators, &message)) {
        return true;
    }
    // Tab alone goes to the main window as in a dialog, so that it leaves the list for the
    // panel and the panel for the buttons; Esc and Enter there would press buttons by their
    // ids, which the main window's commands do not share with a dialog's.
    if (IsTabKey(message) && IsDialogMessageW(mainWindow, &message)) {
        return true;
    }
    return EntryPanel != nullptr && IsDialogMessageW(EntryPanel, &message);
}

int RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (RouteKeyMessage(mainWindow, accelerators, message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

void ConnectMessageBoxes() {
    TellUser = TellUserInBox;
    ShownBoxTexts = {TextProgramName, TextUntitled, TextSystemErrorCaption, TextNameTooLong};
}

int RunEditor(HINSTANCE instance, int showCommand) {
    const std::u16string modulePath = ModuleFilePath();
    const wchar_t* commandLine = GetCommandLineW();
    const std::u16string fileName = PickCommandLineFileName(U(commandLine), modulePath);
    ProgramFolder = FolderOf(modulePath);
    ConnectMessageBoxes();

    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterMainWindowClass(instance)) {
        Ui.ShowMessage(nullptr, W(TextNeedsUnicode), W(TextProgramName), MB_ICONERROR);
        return 0;
    }
    HWND window = CreateMainWindow(instance, commandLine);
    if (window == nullptr) {
        return 0;
    }
    ShowWindow(window, ShowCommandAtStart(showCommand));
    UpdateWindow(window);
    HACCEL accelerators = LoadAcceleratorsW(instance, ResourceName);
    if (fileName.size() > 2) {
        SendMessageW(window, UM_OPENDOCUMENT, reinterpret_cast<WPARAM>(W(fileName)), 0);
    }
    return RunMessageLoop(window, accelerators);
}
