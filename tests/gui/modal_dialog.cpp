#include "tests/gui/modal_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wide.h"

namespace {

std::function<void(HWND)> PendingAct;
UINT_PTR ActTimer = 0;
int Ticks = 0;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0 && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = OpenDialog();
    if (dialog == nullptr) {
        return;
    }
    if (PendingAct) {
        auto act = std::move(PendingAct);
        PendingAct = nullptr;
        act(dialog);
        return;
    }
    if (++Ticks > 500) {
        ADD_FAILURE() << "the dialog did not end";
        EndDialog(dialog, 0);
    }
}

} // namespace

HWND OpenDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::u16string WindowText(HWND window) {
    std::vector<wchar_t> text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), int(text.size()));
    return U(text.data());
}

void WithModalDialog(const std::function<void()>& open, const std::function<void(HWND)>& act) {
    PendingAct = act;
    Ticks = 0;
    ActTimer = SetTimer(nullptr, 0, 20, OnTick);
    open();
    KillTimer(nullptr, ActTimer);
    EXPECT_FALSE(PendingAct) << "no dialog was opened";
    PendingAct = nullptr;
}
