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

std::u16string& MakeRelativePath(std::u16string& path) {
    // The root's trailing backslash stays as the mark of a root-relative name.
    if (!SimulatorRoot.empty() && IsBelow(path, SimulatorRoot))
        path.erase(0, SimulatorRoot.size() - 1);
    if (!DocumentFolder.empty() && IsBelow(path, DocumentFolder))
        path.erase(0, DocumentFolder.size());
    return path;
}

void SetDocumentFolder(const std::u16string& targetPath) {
    DocumentFolder.clear();
    std::u16string folder = targetPath;
    MakeRelativePath(folder);
    // A document directly in the simulator folder has "\" as its folder.
    size_t slash = folder.rfind(u'\\');
    if (slash == std::u16string::npos)
        folder.clear();
    else
        folder.resize(slash + 1);
    DocumentFolder = folder;
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
