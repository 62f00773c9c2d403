// The operating system as the core sees it. Paths are always Windows paths (backslashes,
// drive letters); on POSIX the implementation maps them the way Wine does: drive Z: is the
// file-system root, and a component that does not exist with its exact letter case is
// looked up case-insensitively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum ReadResult { ReadOk, ReadOpenFailed, ReadNoMemory };

// Reads the whole file into bytes. ReadOpenFailed when it cannot be opened or read
// completely (anything but a regular file, no permission, a short read), without waiting for
// a pipe or a device; ReadNoMemory when it is larger than memory allows. The reason is kept
// for LastSystemErrorText.
ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes);

// A file being written. Bytes go to a temporary file beside the target; only
// CommitOutputFile puts it in the target's place, so a failed write leaves the old file.
// The target is exactly the file named (no letter-case lookup); a symbolic link is followed
// and stays, its target is replaced. A target that exists must be a regular file the user
// may write; the new file keeps its permissions. None of these functions throws, not even
// when memory runs out.
struct OutputFile {
    std::u16string TargetPath;
    std::string TargetNative; // the file replaced, links followed, in the platform's form
    std::u16string TemporaryPath;
    // The same in the platform's form, so that discarding never needs memory.
    std::string TemporaryNative;
    intptr_t Handle = -1;
    bool Failed = false; // a write failed: the file can only be discarded
};

bool CreateOutputFile(const std::u16string& targetPath, OutputFile& file);
// Appends bytes; false (and Failed set) when not all of them could be written.
bool WriteOutputFile(OutputFile& file, const char* data, size_t size);
// Flushes, closes and moves the temporary file over the target. On failure the temporary
// file is deleted and the target keeps its old bytes.
bool CommitOutputFile(OutputFile& file);
// Closes and deletes the temporary file; the target is not touched.
void DiscardOutputFile(OutputFile& file);

bool FileExists(const std::u16string& path);
bool DeleteFileAt(const std::u16string& path);
std::u16string GetCurrentFolder(); // without a trailing backslash, as the system gives it
bool SetCurrentFolder(const std::u16string& path);
// Turns a native path of the platform (as given on a command line) into the program's form.
// Empty when that form cannot name the file exactly (bytes that are not UTF-8, a backslash
// in a name): mapped anyway, it could name another file.
std::u16string FromNativePath(const std::string& nativePath);
std::string ToNativePath(const std::u16string& path);

// The system's text for the last failure of a call above.
std::u16string LastSystemErrorText();

// On an interrupt (Ctrl+C, SIGTERM, SIGHUP) the temporary file of the output being written is
// deleted before the process ends as the signal says. For the command line.
void RemoveTemporaryFileOnInterrupt();

// Starts fn(argument) on a new thread that nobody waits for; false when it cannot start.
bool StartWorkerThread(void (*fn)(void*), void* argument);

// Tells the user something: a warning with the caption given. The editor shows a message
// box, the command line prints to standard error. Replaceable for tests.
using TellUserFunction = void (*)(const std::u16string& text, const std::u16string& caption);
extern TellUserFunction TellUser;

// Failures a test can ask for, so that the program's answer to a refusing or full disk can
// be checked on a machine whose disk never refuses.
struct PlatformFaults {
    int64_t WriteLimit = -1;    // bytes a new file takes before writes fail (-1: no limit)
    bool RefuseCreate = false;  // creating a file for writing fails with "access denied"
    bool RefuseReplace = false; // putting a written file in place fails
    bool RefuseRead = false;    // opening a file for reading fails with "access denied"
};
extern PlatformFaults InjectedFaults;
