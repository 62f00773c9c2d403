#include "cli/check.h"

#include <algorithm>

#include "base/text.h"
#include "platform/folders.h"
#include "platform/platform.h"

namespace {

bool IsGroupFileName(const std::u16string& name) {
    std::u16string folded = FoldCase(name);
    for (const std::u16string tail : {u".fzlgrp", u".efzlgrp"})
        if (folded.size() >= tail.size() &&
            folded.compare(folded.size() - tail.size(), tail.size(), tail) == 0)
            return true;
    return false;
}

} // namespace

// A stack of folders still to be read rather than recursion: no depth of folders is too deep.
std::vector<std::u16string> FindGroupFiles(const std::vector<std::u16string>& paths,
                                           std::vector<std::u16string>& unreadable,
                                           std::vector<std::string>& inexact) {
    std::vector<std::u16string> found;
    std::vector<std::u16string> folders;
    std::vector<FolderItem> items;
    for (const std::u16string& path : paths) {
        if (!IsFolder(path)) {
            found.push_back(path);
            continue;
        }
        folders.push_back(path);
        while (!folders.empty()) {
            std::u16string folder = std::move(folders.back());
            folders.pop_back();
            if (!ListFolder(folder, items)) {
                unreadable.push_back(folder);
                continue;
            }
            std::u16string prefix = folder.back() == u'\\' ? folder : folder + u'\\';
            for (const FolderItem& item : items) {
                // Under another name it would be another file, or none.
                if (!item.InexactName.empty()) {
                    if (item.IsFolder || (item.IsFile && IsGroupFileName(item.Name)))
                        inexact.push_back(ToNativePath(prefix) + item.InexactName);
                    continue;
                }
                if (item.IsFolder)
                    folders.push_back(prefix + item.Name);
                else if (item.IsFile && IsGroupFileName(item.Name))
                    found.push_back(prefix + item.Name);
            }
        }
    }
    std::sort(inexact.begin(), inexact.end()); // in the same order whatever the folder's order
    return found;
}
