// zellora-cli plan: the entries of a group file drawn from above, as an SVG file.
#pragma once

#include <string>
#include <vector>

#include "cli/command_arguments.h"
#include "cli/plan_svg.h"

int RunPlan(const std::vector<std::string>& args, UsageFunction usage);

// The entries of document as drawn, all from one source: Objects, IObjects (withGroups),
// then Fonts.
void AddDocumentToPlan(Plan& plan, const GroupDocument& document, size_t source, bool withGroups);
