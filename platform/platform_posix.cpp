// POSIX side: Windows paths are mapped as Wine maps them (Z: is the root).
#include "platform/platform.h"
#include "platform/platform_impl.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/text.h"

namespace {

thread_local int LastError = 0;

bool Fail(int error) {
    LastError = error;
    return false;
}

bool Exists(const std::string& native) {
    struct stat st;
    return lstat(native.c_str(), &st) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > start)
            parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// The entry of folder whose name equals component without regard to letter case.
std::string FindIgnoringCase(const std::string& folder, const std::string& component) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return component;
    std::u16string wanted = Utf8ToUtf16(component);
    std::string found = component;
    while (dirent* entry = readdir(dir)) {
        if (EqualsIgnoreCase(Utf8ToUtf16(entry->d_name), wanted)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Windows finds a file whatever the letter case of its name; so does the program here.
std::string ResolveLetterCase(const std::string& native) {
    if (native.empty() || Exists(native))
        return native;
    bool absolute = native[0] == '/';
    std::string resolved = absolute ? "/" : "";
    for (const std::string& part : SplitComponents(native)) {
        std::string candidate =
            resolved.empty() || resolved.back() == '/' ? resolved + part : resolved + "/" + part;
        if (!Exists(candidate) && part != "." && part != "..") {
            std::string folder = resolved.empty() ? "." : resolved;
            std::string match = FindIgnoringCase(folder, part);
            candidate = resolved.empty() || resolved.back() == '/' ? resolved + match
                                                                   : resolved + "/" + match;
        }
        resolved = candidate;
    }
    return resolved;
}

std::string ToUnresolvedNativePath(const std::u16string& path) {
    std::u16string rest = path;
    if (rest.size() >= 2 && rest[1] == u':') {
        char16_t drive = FoldCase(rest[0]);
        if (drive != u'z')
            return ""; // only drive Z: exists here
        rest.erase(0, 2);
        if (rest.empty())
            rest = u"\\";
    } else if (rest.size() >= 2 && rest[0] == u'\\' && rest[1] == u'\\') {
        return ""; // no network shares
    }
    for (char16_t& c : rest)
        if (c == u'\\')
            c = u'/';
    return Utf16ToUtf8(rest);
}

std::string FolderOfNative(const std::string& native) {
    size_t slash = native.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

std::string NameOfNative(const std::string& native) {
    size_t slash = native.rfind('/');
    return slash == std::string::npos ? native : native.substr(slash + 1);
}

void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

std::string ToNativePath(const std::u16string& path) {
    return ResolveLetterCase(ToUnresolvedNativePath(path));
}

std::u16string FromNativePath(const std::string& nativePath) {
    std::string absolute = nativePath;
    if (absolute.empty() || absolute[0] != '/') {
        std::u16string cwd = GetCurrentFolder();
        std::string base = ToUnresolvedNativePath(cwd);
        absolute = (base.size() > 1 ? base + "/" : std::string("/")) + absolute;
    }
    std::u16string path = u"Z:" + Utf8ToUtf16(absolute);
    for (char16_t& c : path)
        if (c == u'/')
            c = u'\\';
    return path;
}

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    if (InjectedFaults.RefuseRead)
        return Fail(EACCES), ReadOpenFailed;
    std::string native = ToNativePath(path);
    int fd = native.empty() ? -1 : open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(native.empty() ? ENOENT : errno), ReadOpenFailed;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        close(fd);
        return Fail(error), ReadOpenFailed;
    }
    try {
        bytes.assign(size_t(st.st_size), '\0');
    } catch (const std::bad_alloc&) {
        close(fd);
        return Fail(ENOMEM), ReadNoMemory;
    } catch (const std::length_error&) {
        close(fd);
        return Fail(ENOMEM), ReadNoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = read(fd, &bytes[done], bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int error = n < 0 ? errno : EIO; // the file shrank while it was read
            close(fd);
            bytes.clear();
            return Fail(error), ReadOpenFailed;
        }
        done += size_t(n);
    }
    close(fd);
    return ReadOk;
}

bool PlatformCreateOutputFile(const std::u16string& targetPath, OutputFile& file) {
    file = OutputFile();
    file.TargetPath = targetPath;
    if (InjectedFaults.RefuseCreate)
        return Fail(EACCES);
    std::string target = ToNativePath(targetPath);
    if (target.empty())
        return Fail(ENOENT);
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    // Every name is made before the file exists and handed over without allocating, so
    // that nothing after its creation can fail and leave it behind unknown.
    std::string native = FolderOfNative(target) + "/." + NameOfNative(target) + ".tmp-XXXXXX";
    std::u16string temporaryPath = Utf8ToUtf16(native);
    int fd = mkstemp(&native[0]);
    if (fd < 0)
        return Fail(errno);
    for (size_t i = 0; i < 6; ++i) // the letters mkstemp chose are ASCII
        temporaryPath[temporaryPath.size() - 6 + i] = char16_t(native[native.size() - 6 + i]);
    file.TemporaryNative.swap(native);
    file.TemporaryPath.swap(temporaryPath);
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file.Handle = fd;
    return true;
}

bool WriteOutputFile(OutputFile& file, const char* data, size_t size) {
    if (file.Failed || file.Handle < 0)
        return false;
    size_t done = 0;
    while (done < size) {
        size_t chunk = size - done;
        if (InjectedFaults.WriteLimit >= 0) {
            off_t position = lseek(int(file.Handle), 0, SEEK_CUR);
            int64_t room = InjectedFaults.WriteLimit - int64_t(position);
            if (room <= 0) {
                file.Failed = true;
                return Fail(ENOSPC);
            }
            chunk = std::min<size_t>(chunk, size_t(room));
        }
        ssize_t n = write(int(file.Handle), data + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            file.Failed = true;
            return Fail(n < 0 ? errno : ENOSPC);
        }
        done += size_t(n);
    }
    return true;
}

bool PlatformCommitOutputFile(OutputFile& file) {
    if (file.Handle < 0)
        return Fail(EBADF);
    const std::string& temporary = file.TemporaryNative;
    bool ok = !file.Failed && fsync(int(file.Handle)) == 0;
    int error = ok ? 0 : (file.Failed ? EIO : errno);
    if (close(int(file.Handle)) != 0 && ok) {
        ok = false;
        error = errno;
    }
    file.Handle = -1;
    std::string target = ToNativePath(file.TargetPath);
    std::string folder = FolderOfNative(target); // nothing may fail once the file is in place
    if (ok && InjectedFaults.RefuseReplace) {
        ok = false;
        error = EACCES;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return Fail(error);
    }
    SyncFolder(folder);
    return true;
}

void DiscardOutputFile(OutputFile& file) {
    if (file.Handle >= 0)
        close(int(file.Handle));
    file.Handle = -1;
    if (!file.TemporaryNative.empty())
        unlink(file.TemporaryNative.c_str());
    file.TemporaryNative.clear();
    file.TemporaryPath.clear();
}

bool FileExists(const std::u16string& path) {
    std::string native = ToNativePath(path);
    return !native.empty() && Exists(native);
}

bool DeleteFileAt(const std::u16string& path) {
    std::string native = ToNativePath(path);
    if (native.empty() || unlink(native.c_str()) != 0)
        return Fail(native.empty() ? ENOENT : errno);
    return true;
}

std::u16string GetCurrentFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return u"Z:\\";
        buffer.resize(buffer.size() * 2);
    }
    std::string cwd = buffer.data();
    std::u16string path = u"Z:" + Utf8ToUtf16(cwd);
    for (char16_t& c : path)
        if (c == u'/')
            c = u'\\';
    return path;
}

bool SetCurrentFolder(const std::u16string& path) {
    std::string native = ToNativePath(path);
    if (native.empty() || chdir(native.c_str()) != 0)
        return Fail(native.empty() ? ENOENT : errno);
    return true;
}

std::u16string LastSystemErrorText() {
    return Utf8ToUtf16(std::strerror(LastError));
}

void NoteOutOfMemory() {
    LastError = ENOMEM;
}

bool StartWorkerThread(void (*fn)(void*), void* argument) {
    try {
        std::thread(fn, argument).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
