// zellora-cli plan: the entries of a group file drawn from above, as an SVG file.
#pragma once

#include "cli/arguments.h"

extern const CommandForm PlanForm;

int RunPlan(const CommandLine& line);
