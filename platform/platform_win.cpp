// Win32 side of the platform layer.
#include "platform/platform.h"
#include "platform/platform_impl.h"

#include <new>
#include <vector>

#include <process.h>
#include <windows.h>

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

std::u16string U(const wchar_t* s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s));
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

struct WorkerStart {
    void (*Fn)(void*);
    void* Argument;
};

unsigned __stdcall RunWorker(void* start) {
    const WorkerStart call = *static_cast<WorkerStart*>(start);
    delete static_cast<WorkerStart*>(start);
    call.Fn(call.Argument);
    return 0;
}

} // namespace

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    if (InjectedFaults.RefuseRead)
        return Fail(ERROR_ACCESS_DENIED), ReadOpenFailed;
    HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReadOpenFailed;
    // Only files on a disk are read: a console or a pipe could keep the reader waiting.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return Fail(ERROR_ACCESS_DENIED), ReadOpenFailed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return ReadNoMemory;
    }
    if (uint64_t(size.QuadPart) >= uint64_t(SIZE_MAX) / 2) {
        CloseHandle(file);
        return Fail(ERROR_NOT_ENOUGH_MEMORY), ReadNoMemory;
    }
    try {
        bytes.assign(size_t(size.QuadPart), '\0');
    } catch (const std::exception&) {
        CloseHandle(file);
        return Fail(ERROR_NOT_ENOUGH_MEMORY), ReadNoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, &bytes[done], want, &got, nullptr) || got == 0) {
            DWORD error = GetLastError();
            CloseHandle(file);
            bytes.clear();
            return Fail(error ? error : ERROR_HANDLE_EOF), ReadOpenFailed;
        }
        done += got;
    }
    CloseHandle(file);
    return ReadOk;
}

bool PlatformCreateOutputFile(const std::u16string& targetPath, OutputFile& file) {
    file = OutputFile();
    file.TargetPath = targetPath;
    if (InjectedFaults.RefuseCreate)
        return Fail(ERROR_ACCESS_DENIED);
    DWORD attributes = GetFileAttributesW(W(targetPath));
    // Replacing a read-only file is refused before anything is written, as the system's own
    // replace would refuse it at the end.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return Fail(ERROR_ACCESS_DENIED);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        // The name is complete before the file exists and is handed over without
        // allocating: nothing after its creation can fail and leave it behind unknown.
        std::u16string name = targetPath;
        name += u".tmp";
        wchar_t suffix[16];
        wsprintfW(suffix, L"%lx%x", GetCurrentProcessId(), attempt);
        name += reinterpret_cast<const char16_t*>(suffix);
        HANDLE handle = CreateFileW(W(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file.TemporaryPath.swap(name);
            file.Handle = reinterpret_cast<intptr_t>(handle);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool WriteOutputFile(OutputFile& file, const char* data, size_t size) {
    if (file.Failed || file.Handle == -1)
        return false;
    HANDLE handle = reinterpret_cast<HANDLE>(file.Handle);
    size_t done = 0;
    while (done < size) {
        size_t chunk = std::min<size_t>(size - done, 1u << 30);
        if (InjectedFaults.WriteLimit >= 0) {
            LARGE_INTEGER zero{}, position{};
            SetFilePointerEx(handle, zero, &position, FILE_CURRENT);
            int64_t room = InjectedFaults.WriteLimit - position.QuadPart;
            if (room <= 0) {
                file.Failed = true;
                return Fail(ERROR_DISK_FULL);
            }
            chunk = std::min<size_t>(chunk, size_t(room));
        }
        DWORD written = 0;
        if (!WriteFile(handle, data + done, DWORD(chunk), &written, nullptr) || written == 0) {
            file.Failed = true;
            return false;
        }
        done += written;
    }
    return true;
}

bool PlatformCommitOutputFile(OutputFile& file) {
    if (file.Handle == -1)
        return Fail(ERROR_INVALID_HANDLE);
    HANDLE handle = reinterpret_cast<HANDLE>(file.Handle);
    bool ok = !file.Failed && FlushFileBuffers(handle);
    DWORD error = ok ? 0 : (file.Failed ? ERROR_WRITE_FAULT : GetLastError());
    CloseHandle(handle);
    file.Handle = -1;
    if (ok && InjectedFaults.RefuseReplace) {
        ok = false;
        error = ERROR_ACCESS_DENIED;
    }
    // MoveFileExW replaces in one step; ReplaceFileW under Wine deletes the old file first.
    if (ok && !MoveFileExW(W(file.TemporaryPath), W(file.TargetPath),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileW(W(file.TemporaryPath));
        return Fail(error);
    }
    return true;
}

void DiscardOutputFile(OutputFile& file) {
    if (file.Handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(file.Handle));
    file.Handle = -1;
    if (!file.TemporaryPath.empty())
        DeleteFileW(W(file.TemporaryPath));
    file.TemporaryPath.clear();
}

bool FileExists(const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFileAt(const std::u16string& path) {
    return DeleteFileW(W(path)) != 0;
}

std::u16string GetCurrentFolder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buffer(size + 1);
    DWORD got = GetCurrentDirectoryW(DWORD(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size())
        return std::u16string();
    return U(buffer.data());
}

bool SetCurrentFolder(const std::u16string& path) {
    return SetCurrentDirectoryW(W(path)) != 0;
}

std::u16string FromNativePath(const std::string& nativePath) {
    int size = MultiByteToWideChar(CP_UTF8, 0, nativePath.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(size > 0 ? size : 1);
    MultiByteToWideChar(CP_UTF8, 0, nativePath.c_str(), -1, wide.data(), size);
    DWORD full = GetFullPathNameW(wide.data(), 0, nullptr, nullptr);
    std::vector<wchar_t> buffer(full + 1);
    if (full == 0 ||
        GetFullPathNameW(wide.data(), DWORD(buffer.size()), buffer.data(), nullptr) == 0)
        return U(wide.data());
    return U(buffer.data());
}

std::string ToNativePath(const std::u16string& path) {
    int size = WideCharToMultiByte(CP_UTF8, 0, W(path), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, W(path), -1, &out[0], size, nullptr, nullptr);
    return out;
}

std::u16string LastSystemErrorText() {
    DWORD error = GetLastError();
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string result = length && text ? U(text) : std::u16string();
    if (text)
        LocalFree(text);
    while (!result.empty() && (result.back() == u'\n' || result.back() == u'\r'))
        result.pop_back();
    SetLastError(error);
    return result;
}

// A console program on Windows is ended by Ctrl+C without a chance to close the open
// temporary file first; nothing is set up here.
void RemoveTemporaryFileOnInterrupt() {}

void NoteOutOfMemory() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
}

// The C runtime's own thread start, not std::thread: a detached std::thread of the MinGW
// runtime that ends before it is detached may leave its record to the next thread while its
// exit still writes to it, and a worker started so now and then never runs.
bool StartWorkerThread(void (*fn)(void*), void* argument) {
    WorkerStart* start = new (std::nothrow) WorkerStart{fn, argument};
    if (start == nullptr)
        return false;
    const uintptr_t thread = _beginthreadex(nullptr, 0, RunWorker, start, 0, nullptr);
    if (thread == 0) {
        delete start;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
