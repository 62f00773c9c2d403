#include "app/about_box.h"

#include "app/later_dialogs.h"
#include "app/shell_state.h"
#include "platform/ui_win.h"
#include "resources/resource.h"

HFONT AboutLinkFont = nullptr;
WNDPROC AboutLinkPreviousProc = nullptr;

namespace {

constexpr wchar_t AboutBoxName[] = L"AboutBox";
constexpr wchar_t WebAddress[] = L"" ZELLORA_WEB_ADDRESS;

LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return CallWindowProcW(AboutLinkPreviousProc, link, message, wParam, lParam);
}

void OnInitAboutBox(HWND dialog) {
    HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0));
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    LOGFONTW description{};
    GetObjectW(font, sizeof(description), &description);
    description.lfUnderline = TRUE;
    AboutLinkFont = CreateFontIndirectW(&description);
    AboutLinkPreviousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc)));
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(AboutLinkFont), TRUE);
}

// OK, Enter, Escape and the close box close the box, as in every dialog.
INT_PTR OnAboutCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_ABOUT_LINK:
        Ui.ShellOpen(dialog, nullptr, WebAddress, nullptr, nullptr, SW_SHOW);
        return FALSE;
    }
    return FALSE;
}

INT_PTR OnAboutColour(HDC context, HWND control) {
    if (GetDlgCtrlID(control) != IDC_ABOUT_LINK) {
        return FALSE;
    }
    SetTextColor(context, GetSysColor(COLOR_HIGHLIGHT));
    SetBkMode(context, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

} // namespace

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitAboutBox(dialog); return TRUE;
    case WM_COMMAND: return OnAboutCommand(dialog, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
        return OnAboutColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NCDESTROY:
        if (AboutLinkFont != nullptr) {
            DeleteObject(AboutLinkFont);
            AboutLinkFont = nullptr;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowAboutBox(HWND owner) {
    DialogBoxParamW(AppInstance, AboutBoxName, owner, AboutBoxProc, 0);
}
