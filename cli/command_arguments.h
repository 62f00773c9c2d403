// The arguments of import and plan: --root ORDNER, --flat where allowed, and the files.
#pragma once

#include <string>
#include <vector>

struct CommandArguments {
    std::u16string Root; // the program's form, with a trailing backslash
    bool HasRoot = false;
    bool Flat = false;
    std::vector<std::string> Files; // native paths as given
};

// Reads args from index 1 on; false for an unknown option or one without its value (problem
// set), or for a root the program's form cannot name exactly (problem empty, already said).
bool ReadCommandArguments(const std::vector<std::string>& args, bool allowFlat,
                          CommandArguments& out, std::string& problem);

using UsageFunction = int (*)(const char* problem);
