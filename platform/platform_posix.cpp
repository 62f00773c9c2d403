// POSIX side: Windows paths are mapped as Wine maps them (Z: is the root).
#include "platform/platform.h"
#include "platform/platform_impl.h"

#include <cerrno>
#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"

namespace {

thread_local int LastError = 0;

// Reasons of the program's own, beside the system's error numbers.
constexpr int ErrorNotRegularFile = -2;

bool Fail(int error) {
    LastError = error;
    return false;
}

bool Exists(const std::string& native) {
    struct stat st;
    return lstat(native.c_str(), &st) == 0;
}

// Bytes that the program's UTF-16 holds exactly: they come back unchanged.
bool IsExactUtf8(const std::string& bytes) {
    return Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes;
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
        // A name that is no UTF-8 is not the one wanted, whatever its decoded form says.
        if (EqualsIgnoreCase(Utf8ToUtf16(entry->d_name), wanted) && IsExactUtf8(entry->d_name)) {
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

// The native name of path with its letters as they are; empty (and the reason in error)
// when there is none.
std::string ToUnresolvedNativePath(const std::u16string& path, int* error = nullptr) {
    std::u16string rest = path;
    if (error)
        *error = ENOENT;
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
    std::string native = Utf16ToUtf8(rest);
    if (Utf8ToUtf16(native) != rest) { // a lone surrogate would become U+FFFD
        if (error)
            *error = EILSEQ;
        return "";
    }
    return native;
}

std::string NativeCurrentFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
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

// The file that writing to native replaces: symbolic links are followed, so that a link
// stays a link and its target gets the new bytes. exists tells whether that file is there
// (st then describes it); a dangling link names the file to create.
bool FollowLinks(const std::string& native, std::string& target, struct stat& st, bool& exists) {
    target = native;
    for (int hop = 0; hop < 40; ++hop) {
        if (lstat(target.c_str(), &st) != 0) {
            exists = false;
            return errno == ENOENT || Fail(errno);
        }
        if (!S_ISLNK(st.st_mode)) {
            exists = true;
            return true;
        }
        std::vector<char> link(size_t(std::max<off_t>(st.st_size, 255)) + 1);
        ssize_t n;
        while ((n = readlink(target.c_str(), link.data(), link.size())) >= ssize_t(link.size()))
            link.resize(link.size() * 2);
        if (n < 0)
            return Fail(errno);
        std::string next(link.data(), size_t(n));
        target = !next.empty() && next[0] == '/' ? next : FolderOfNative(target) + "/" + next;
    }
    return Fail(ELOOP);
}

// A file that exists is replaced only when it is a regular file the user may write; a
// file without any write permission counts as read-only even for the superuser, as the
// read-only attribute does on Windows.
bool MayReplace(const std::string& target, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    if (!S_ISREG(st.st_mode))
        return Fail(ErrorNotRegularFile);
    if (access(target.c_str(), W_OK) != 0)
        return Fail(errno);
    if ((st.st_mode & 0222) == 0)
        return Fail(EACCES);
    return true;
}

// The name of the temporary file being written, for the interrupt handler. It owns what it
// takes out, so that a handler and the writer never free the same name.
std::atomic<char*> PendingTemporary{nullptr};

void NotePendingTemporary(const std::string& name) {
    char* copy = strdup(name.c_str());
    char* none = nullptr;
    if (copy && !PendingTemporary.compare_exchange_strong(none, copy))
        free(copy);
}

void ForgetPendingTemporary(const std::string& name) {
    char* current = PendingTemporary.load();
    if (current && name == current && PendingTemporary.compare_exchange_strong(current, nullptr))
        free(current);
}

// Holds back the interrupts the command line cleans up after, for as long as it lives or
// until Release; a signal that arrives meanwhile is delivered then.
struct InterruptsHeld {
    sigset_t Previous;
    bool Held = false;
    InterruptsHeld() {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&interrupts, signalNumber);
        Held = pthread_sigmask(SIG_BLOCK, &interrupts, &Previous) == 0;
    }
    void Release() {
        if (Held)
            pthread_sigmask(SIG_SETMASK, &Previous, nullptr);
        Held = false;
    }
    ~InterruptsHeld() { Release(); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

void OnInterrupt(int signalNumber) {
    int savedErrno = errno;
    if (char* name = PendingTemporary.exchange(nullptr))
        unlink(name);
    errno = savedErrno;
    raise(signalNumber); // the handler was reset: the signal ends the process as usual
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
        std::string base = NativeCurrentFolder();
        absolute = (base.size() > 1 ? base + "/" : std::string("/")) + absolute;
    }
    // In the program's form a backslash separates folders; it cannot be part of a name.
    if (!IsExactUtf8(absolute) || absolute.find('\\') != std::string::npos)
        return std::u16string();
    std::u16string path = u"Z:" + Utf8ToUtf16(absolute);
    for (char16_t& c : path)
        if (c == u'/')
            c = u'\\';
    return path;
}

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    if (InjectedFaults.RefuseRead)
        return Fail(EACCES), ReadOpenFailed;
    int error = ENOENT;
    std::string native = ToUnresolvedNativePath(path, &error);
    if (native.empty())
        return Fail(error), ReadOpenFailed;
    native = ResolveLetterCase(native);
    // Only regular files are read: a pipe or a device could keep the reader waiting for
    // ever. Checked before opening (opening a device may do something) and again after.
    struct stat st;
    if (stat(native.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return Fail(S_ISDIR(st.st_mode) ? EISDIR : ErrorNotRegularFile), ReadOpenFailed;
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return Fail(errno), ReadOpenFailed;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : ErrorNotRegularFile;
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

namespace {

// Hidden beside the target, named after it; a name near the longest a folder holds gets a
// short temporary name instead, or the save could not start.
std::string TemporaryNameFor(const std::string& targetName) {
    const std::string tail = ".tmp-XXXXXX";
    if (1 + targetName.size() + tail.size() <= NAME_MAX)
        return "." + targetName + tail;
    return ".zellora" + tail;
}

} // namespace

bool PlatformCreateOutputFile(const std::u16string& targetPath, OutputFile& file) {
    file = OutputFile();
    file.TargetPath = targetPath;
    if (InjectedFaults.RefuseCreate)
        return Fail(EACCES);
    // Exactly the file named: a letter-case lookup could find, and replace, another one.
    int error = ENOENT;
    std::string named = ToUnresolvedNativePath(targetPath, &error);
    if (named.empty())
        return Fail(error);
    std::string target;
    struct stat st;
    bool exists = false;
    if (!FollowLinks(named, target, st, exists) || (exists && !MayReplace(target, st)))
        return false;
    // Every name is made before the file exists and handed over without allocating, so
    // that nothing after its creation can fail and leave it behind unknown.
    std::string native = FolderOfNative(target) + "/" + TemporaryNameFor(NameOfNative(target));
    std::u16string temporaryPath = Utf8ToUtf16(native);
    // An interrupt between creating the file and noting its name would leave it behind:
    // the signal waits until the name is noted.
    InterruptsHeld held;
    int fd = mkstemp(&native[0]);
    if (fd < 0)
        return Fail(errno);
    for (size_t i = 0; i < 6; ++i) // the letters mkstemp chose are ASCII
        temporaryPath[temporaryPath.size() - 6 + i] = char16_t(native[native.size() - 6 + i]);
    file.TemporaryNative.swap(native);
    file.TemporaryPath.swap(temporaryPath);
    file.TargetNative.swap(target);
    file.Handle = fd;
    NotePendingTemporary(file.TemporaryNative);
    held.Release();
    if (exists) {
        // The owner first: changing it may clear the set-user-ID bits the mode then restores.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the superuser may give a file away; the new file stays the writer's.
        }
        fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
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
#ifdef __linux__
    // The disk starts on what is written while the rest is still being made, so that the
    // flush at the end waits for the last blocks only.
    sync_file_range(int(file.Handle), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
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
    const std::string& target = file.TargetNative;
    std::string folder = FolderOfNative(target); // nothing may fail once the file is in place
    if (ok && InjectedFaults.RefuseReplace) {
        ok = false;
        error = EACCES;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok)
        unlink(temporary.c_str());
    ForgetPendingTemporary(temporary);
    if (!ok)
        return Fail(error);
    SyncFolder(folder);
    return true;
}

void DiscardOutputFile(OutputFile& file) {
    if (file.Handle >= 0)
        close(int(file.Handle));
    file.Handle = -1;
    if (!file.TemporaryNative.empty()) {
        unlink(file.TemporaryNative.c_str());
        ForgetPendingTemporary(file.TemporaryNative);
    }
    file.TemporaryNative.clear();
    file.TemporaryPath.clear();
}

bool FileExists(const std::u16string& path) {
    std::string native = ToNativePath(path);
    return !native.empty() && Exists(native);
}

bool DeleteFileAt(const std::u16string& path) {
    std::string native = ToUnresolvedNativePath(path); // never another file of that name
    if (native.empty() || unlink(native.c_str()) != 0)
        return Fail(native.empty() ? ENOENT : errno);
    return true;
}

std::u16string GetCurrentFolder() {
    std::string cwd = NativeCurrentFolder();
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
    if (LastError == ErrorNotRegularFile)
        return u"Keine gewöhnliche Datei";
    return Utf8ToUtf16(std::strerror(LastError));
}

void RemoveTemporaryFileOnInterrupt() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous;
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue; // started to ignore it (nohup): so it stays
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_handler = OnInterrupt;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
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
