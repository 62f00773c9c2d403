#include "cli/command_arguments.h"

#include "cli/commands.h"
#include "platform/platform.h"

bool ReadCommandArguments(const std::vector<std::string>& args, bool allowFlat,
                          CommandArguments& out, std::string& problem) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--root") {
            if (i + 1 >= args.size()) {
                problem = "--root braucht einen Wert";
                return false;
            }
            if (!ProgramPath(args[++i], out.Root)) {
                problem.clear();
                return false;
            }
            if (out.Root.back() != u'\\')
                out.Root += u'\\';
            out.HasRoot = true;
        } else if (allowFlat && arg == "--flat") {
            out.Flat = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unbekannte Option: " + arg;
            return false;
        } else {
            out.Files.push_back(arg);
        }
    }
    return true;
}
