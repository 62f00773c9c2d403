#include "app/entry_commands.h"

#include "app/plan_window.h"
#include "app/shell_state.h"
#include "resources/resource.h"

void UpdateMenuState(HMENU menu) {
    const int32_t count = int32_t(EntryCount(CurrentDocument));
    const bool canCopy = SelectedIndex != -1 && SelectedIndex < count;
    const bool canPaste = (ClipboardEntry != nullptr || ClipboardFont != nullptr) && DocumentOpen;
    const bool canUndo = DocumentOpen && CanUndo(DocumentEdits);
    const bool canRedo = DocumentOpen && CanRedo(DocumentEdits);
    EnableMenuItem(menu, IDM_UNDO, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_REDO, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_COPY, MF_BYCOMMAND | (canCopy ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, IDM_PLAN,
                  MF_BYCOMMAND | (PlanWindow != nullptr ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(menu, IDM_PASTE, MF_BYCOMMAND | (canPaste ? MF_ENABLED : MF_GRAYED));
}
