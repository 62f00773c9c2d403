#include "platform/platform.h"
#include "platform/platform_impl.h"

#include <cstdio>
#include <new>

#include "base/text.h"

PlatformFaults InjectedFaults;

namespace {

void TellOnStandardError(const std::u16string& text, const std::u16string&) {
    std::string line = Utf16ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
}

} // namespace

TellUserFunction TellUser = TellOnStandardError;

bool CreateOutputFile(const std::u16string& targetPath, OutputFile& file) {
    try {
        return PlatformCreateOutputFile(targetPath, file);
    } catch (const std::bad_alloc&) {
        DiscardOutputFile(file);
        NoteOutOfMemory();
        return false;
    }
}

bool CommitOutputFile(OutputFile& file) {
    try {
        return PlatformCommitOutputFile(file);
    } catch (const std::bad_alloc&) {
        DiscardOutputFile(file);
        NoteOutOfMemory();
        return false;
    }
}
