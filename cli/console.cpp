#include "cli/console.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// A console takes UTF-16 whatever its code page; a file or a pipe gets the UTF-8 bytes.
bool WroteToConsole(FILE* stream, const std::string& utf8, bool& written) {
    HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    fflush(stream);
    std::wstring wide(utf8.size(), L'\0');
    int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], int(wide.size()));
    DWORD done = 0;
    written = length >= 0 && WriteConsoleW(handle, wide.data(), DWORD(length), &done, nullptr) &&
              done == DWORD(length);
    return true;
}
#else
bool WroteToConsole(FILE*, const std::string&, bool&) {
    return false;
}
#endif

bool Write(FILE* stream, const std::string& utf8) {
    bool written = false;
    if (WroteToConsole(stream, utf8, written))
        return written;
    return fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() && fflush(stream) == 0;
}

} // namespace

bool WriteOutput(const std::string& utf8) {
    return Write(stdout, utf8);
}

void WriteError(const std::string& utf8) {
    Write(stderr, utf8);
}
