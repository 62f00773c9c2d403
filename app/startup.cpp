#include "app/startup.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "panel/entry_panel.h"
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

std::u16string PickCommandLineFileName(const std::u16string& commandLine,
                                       const std::u16string& modulePath) {
    if (!modulePath.empty() && commandLine.find(modulePath) != std::u16string::npos) {
        // Quote, program path, quote, blank, quote: the name follows, with its closing quote.
        // A bare name behind the quoted program path has too few quotes and is not taken.
        if (std::count(commandLine.begin(), commandLine.end(), u'"') <= 3) {
            return {};
        }
        const size_t start = modulePath.size() + 4;
        return start < commandLine.size() ? commandLine.substr(start) : std::u16string();
    }
    const size_t blank = commandLine.find(u' ');
    return blank == std::u16string::npos ? std::u16string() : commandLine.substr(blank + 1);
}

namespace {

// In a text field of the panel, Ctrl+C and Ctrl+V copy and paste text, as in every other
// program; elsewhere they copy and paste entries.
bool IsTextFieldKey(const MSG& message) {
    return message.message == WM_KEYDOWN && (message.wParam == 'C' || message.wParam == 'V') &&
           IsPanelTextField(message.hwnd);
}

} // namespace

int RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsTextFieldKey(message) && TranslateAcceleratorW(mainWindow, accelerators, &message)) {
            continue;
        }
        if (EntryPanel != nullptr && IsDialogMessageW(EntryPanel, &message)) {
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
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    HACCEL accelerators = LoadAcceleratorsW(instance, ResourceName);
    if (fileName.size() > 2) {
        SendMessageW(window, UM_OPENDOCUMENT, reinterpret_cast<WPARAM>(W(fileName)), 0);
    }
    return RunMessageLoop(window, accelerators);
}
