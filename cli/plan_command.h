// zellora-cli plan: the entries of a group file drawn from above, as an SVG file.
#pragma once

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/plan_svg.h"

extern const CommandForm PlanForm;

int RunPlan(const CommandLine& line);

// The entries of document as drawn, all from one source: Objects, IObjects (withGroups),
// then Fonts.
void AddDocumentToPlan(Plan& plan, const GroupDocument& document, size_t source, bool withGroups);
