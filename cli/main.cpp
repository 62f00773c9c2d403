#include "cli/commands.h"

#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>

// Arguments arrive as UTF-16 and are handed on as UTF-8, as on every other platform.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        // A lone surrogate has no UTF-8 form; replaced, the name could be another file's.
        int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argv[i], -1, nullptr, 0,
                                       nullptr, nullptr);
        if (size <= 0)
            return RefuseInexactName(std::to_string(i) + ". Argument");
        std::string arg(size - 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &arg[0], size, nullptr, nullptr);
        arguments.push_back(arg);
    }
    return RunCli(arguments);
}
#else
int main(int argc, char** argv) {
    RemoveTemporaryFileOnInterrupt();
    return RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
