// Stand-ins until the dialogs are built: they open nothing, and the panel is the empty
// dialog of the resources.
#include "app/later_dialogs.h"

#include "resources/resource.h"
#include "platform/wide.h"

void ShowPathsDialog(HWND, int) {}

void ShowExportDialog(HWND) {}

void ShowAboutBox(HWND) {}

namespace {

INT_PTR CALLBACK EntryPanelProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

HWND CreateEntryPanel(HWND parent) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND panel = CreateDialogParamW(instance, ResourceName, parent, EntryPanelProc, 0);
    if (panel != nullptr) {
        ShowWindow(panel, SW_HIDE);
    }
    return panel;
}
