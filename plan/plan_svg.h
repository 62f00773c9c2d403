// The picture that zellora-cli plan draws: a plan as an SVG document.
#pragma once

#include <string>

#include "plan/plan_model.h"

// The whole SVG document in UTF-8. Entries without a finite position are left out and
// counted in a note below the picture.
std::string PlanSvg(const Plan& plan);

// Writes the SVG document of plan to path, replacing what was there only once all of it is
// written; false when it cannot be written (LastSystemErrorText says why).
bool WritePlanSvg(const std::u16string& path, const Plan& plan);

// "#rrggbb": by the group file an entry comes from where there are several, else by its kind.
const char* PlanEntryColour(const Plan& plan, const PlanEntry& entry);

// The note on the entries that PlanSvg leaves out ("2 Einträge ohne gültige Lage sind nicht
// gezeichnet"); empty when it draws every entry.
std::u16string UndrawnNote(const Plan& plan);
