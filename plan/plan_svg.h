// The picture that zellora-cli plan draws: a plan as an SVG document.
#pragma once

#include <string>

#include "plan/plan_model.h"

// The whole SVG document in UTF-8. Entries without a finite position are left out and
// counted in a note below the picture.
std::string PlanSvg(const Plan& plan);

// The note on the entries that PlanSvg leaves out ("2 Einträge ohne gültige Lage sind nicht
// gezeichnet"); empty when it draws every entry.
std::u16string UndrawnNote(const Plan& plan);
