#include "paths/root_search.h"

#include "paths/path_utils.h"

std::u16string FolderFromInstallPaths(const std::u16string& value) {
    std::u16string text = value.substr(0, value.find(u'\0'));
    const size_t bar = text.find(u'|');
    if (bar != std::u16string::npos && bar + 1 < text.size()) {
        text.resize(bar);
    }
    if (text.size() > MaxFolderLength) {
        return {};
    }
    const size_t slash = text.rfind(u'\\');
    if (slash != std::u16string::npos && slash >= 1) {
        text.resize(slash + 1);
    }
    // Without a backslash there is no folder ("C:", "D:Sim"): shortening against such a
    // root would cut names apart. It counts as not found, and browsing follows.
    if (text.empty() || text.back() != u'\\') {
        return {};
    }
    return text;
}

std::u16string PickedFolderWithBackslash(const std::u16string& folder) {
    std::u16string text = folder;
    if (text.empty() || text.back() != u'\\') {
        text += u'\\';
    }
    return text.size() > MaxFolderLength ? std::u16string() : text;
}
