// The commands of zellora-cli. Paths arrive as native paths; results are exit statuses.
#pragma once

#include <string>
#include <vector>

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

int RunCli(const std::vector<std::string>& arguments);

// Says on standard error that the name given cannot be named exactly in the program's form,
// and returns ExitFailed: nothing has been read or written.
int RefuseInexactName(const std::string& name);

// The name as text: bytes that are not UTF-8 are shown as \xNN.
std::string Printable(const std::string& name);

// One line on standard error.
void PrintError(const std::u16string& text);

// The native name in the program's form; false, after RefuseInexactName, when that form
// cannot name it exactly.
bool ProgramPath(const std::string& native, std::u16string& path);
