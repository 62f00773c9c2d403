// zellora-cli import: the JSON that info prints, saved as a group file.
#pragma once

#include <string>
#include <vector>

#include "cli/arguments.h"

extern const CommandForm ImportForm;

int RunImport(const CommandLine& line);
