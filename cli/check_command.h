// zellora-cli check: every group file of a folder checked for broken references and loops.
#pragma once

#include <string>
#include <vector>

// args[0] is "check". Returns the exit status.
int RunCheckCommand(const std::vector<std::string>& args);
