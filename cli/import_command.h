// zellora-cli import: the JSON that info prints, saved as a group file.
#pragma once

#include <string>
#include <vector>

#include "cli/command_arguments.h"

int RunImport(const std::vector<std::string>& args, UsageFunction usage);
