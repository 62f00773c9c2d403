#include "platform/folders.h"

#include <cstdio>
#include <io.h>

#include <windows.h>

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

} // namespace

bool ListFolder(const std::u16string& folder, std::vector<FolderItem>& items) {
    items.clear();
    std::u16string pattern = folder;
    if (pattern.empty() || pattern.back() != u'\\')
        pattern += u'\\';
    pattern += u'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(W(pattern), &data);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
        if (name == u"." || name == u"..")
            continue;
        FolderItem item;
        item.Name = name;
        bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.IsFolder = directory && !link;
        item.IsFile = !directory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
        items.push_back(std::move(item));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

bool IsFolder(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

IdentifyResult IdentifyFile(const std::u16string& path, FileIdentity& identity) {
    HANDLE handle = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH
                   ? NothingThere
                   : Unreachable;
    }
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!ok)
        return Unreachable;
    identity.Device = info.dwVolumeSerialNumber;
    identity.Index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return Identified;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}
