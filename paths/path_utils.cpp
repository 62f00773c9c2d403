#include "paths/path_utils.h"

#include "base/text.h"

std::u16string SimulatorRoot;
std::u16string DocumentFolder;

namespace {

// A backslash right after the prefix would survive the cut and change what kind of name the
// rest is (a doubled one makes a network name, a single one a root-relative name), so such
// a name never counts as below the prefix.
bool IsBelow(const std::u16string& path, const std::u16string& prefix) {
    if (path.size() < prefix.size() ||
        (path.size() > prefix.size() && path[prefix.size()] == u'\\'))
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (FoldCase(path[i]) != FoldCase(prefix[i]))
            return false;
    return true;
}

} // namespace

PathKind KindOfPath(const std::u16string& path) {
    if (path.size() >= 2 && path[1] == u':')
        return PathKind::Drive;
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\')
        return PathKind::Network;
    if (!path.empty() && path[0] == u'\\')
        return PathKind::RootRelative;
    return PathKind::Relative;
}

void ShortenPath(std::u16string& path, const std::u16string& root, const std::u16string& folder) {
    // The root's trailing backslash stays as the mark of a root-relative name.
    if (!root.empty() && IsBelow(path, root))
        path.erase(0, root.size() - 1);
    if (!folder.empty() && IsBelow(path, folder))
        path.erase(0, folder.size());
}

std::u16string DocumentFolderOf(const std::u16string& targetPath, const std::u16string& root) {
    std::u16string folder = targetPath;
    ShortenPath(folder, root, std::u16string());
    // A document directly in the simulator folder has "\" as its folder.
    size_t slash = folder.rfind(u'\\');
    if (slash == std::u16string::npos)
        folder.clear();
    else
        folder.resize(slash + 1);
    return folder;
}

std::u16string& MakeRelativePath(std::u16string& path) {
    ShortenPath(path, SimulatorRoot, DocumentFolder);
    return path;
}

void SetDocumentFolder(const std::u16string& targetPath) {
    DocumentFolder = DocumentFolderOf(targetPath, SimulatorRoot);
}

std::u16string FolderOf(const std::u16string& path) {
    size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

void CutAtLastFullStop(std::u16string& name, size_t keptCharacters) {
    for (size_t i = name.size(); i-- > keptCharacters;) {
        if (name[i] == u'.') {
            name.resize(i);
            return;
        }
    }
}
