#include "platform/folders.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/platform.h"

namespace {

std::string ChildOf(const std::string& folder, const char* name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace

bool ListFolder(const std::u16string& folder, std::vector<FolderItem>& items) {
    items.clear();
    std::string native = ToNativePath(folder);
    DIR* dir = native.empty() ? nullptr : opendir(native.c_str());
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        FolderItem item;
        item.Name = Utf8ToUtf16(name);
        if (Utf16ToUtf8(item.Name) != name || name.find('\\') != std::string::npos)
            item.InexactName = name;
        unsigned char type = entry->d_type;
        if (type == DT_DIR) {
            item.IsFolder = true;
        } else if (type == DT_REG) {
            item.IsFile = true;
        } else if (type == DT_LNK || type == DT_UNKNOWN) {
            std::string path = ChildOf(native, entry->d_name);
            struct stat own, target;
            if (lstat(path.c_str(), &own) == 0 && S_ISDIR(own.st_mode))
                item.IsFolder = true;
            else if (stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode))
                item.IsFile = true;
        }
        items.push_back(std::move(item));
    }
    closedir(dir);
    return true;
}

bool IsFolder(const std::u16string& path) {
    std::string native = ToNativePath(path);
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

IdentifyResult IdentifyFile(const std::u16string& path, FileIdentity& identity) {
    std::string native = ToNativePath(path);
    struct stat st;
    if (native.empty())
        return NothingThere;
    if (stat(native.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? NothingThere : Unreachable;
    identity.Device = uint64_t(st.st_dev);
    identity.Index = uint64_t(st.st_ino);
    return Identified;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
