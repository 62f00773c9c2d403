// zellora-cli check: every group file of a folder checked for broken references and loops.
#pragma once

#include "cli/arguments.h"

extern const CommandForm CheckForm;

// Returns the exit status.
int RunCheck(const CommandLine& line);
