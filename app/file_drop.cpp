#include "app/file_drop.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/entry_commands.h"
#include "app/shell_state.h"
#include "platform/ui_win.h"
#include "platform/wide.h"

namespace {

std::vector<std::u16string> DroppedPaths(HDROP drop) {
    std::vector<std::u16string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::vector<wchar_t> path(size_t(DragQueryFileW(drop, i, nullptr, 0)) + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), UINT(path.size()));
        paths.push_back(U(path.data()));
    }
    return paths;
}

bool OntoEntryList(HWND window, POINT point) {
    // The list's own style: the main window itself may be hidden while it is being made.
    if (!DocumentOpen || (GetWindowLongW(EntryList, GWL_STYLE) & WS_VISIBLE) == 0) {
        return false;
    }
    RECT list{};
    GetWindowRect(EntryList, &list);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&list), 2);
    return PtInRect(&list, point) != 0;
}

} // namespace

void OnDropFiles(HWND window, HDROP drop) {
    POINT point{};
    DragQueryPoint(drop, &point);
    const std::vector<std::u16string> paths = DroppedPaths(drop);
    DragFinish(drop);
    if (OntoEntryList(window, point)) {
        std::vector<AddedFile> files;
        for (const std::u16string& path : paths) {
            files.push_back({path, FileTitleOf(path)});
        }
        AddEntryFiles(files);
    } else if (paths.size() == 1) {
        OnOpenDroppedFile(paths[0]);
    }
}
