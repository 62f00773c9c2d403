// The plan window's picture: the grid with its metres, the scale bar, every entry in view as
// its mark with its heading and caption, and the selected entry with what it brings.
#pragma once

#include <windows.h>

#include "plan/plan_raster.h"
#include "plan/plan_raster.h"
#include "plan/plan_view.h"

// Paints into dc, a memory surface the size of area whose pixels (area's corner first) pixels
// reaches too; selected is the entry of the list's selection, None for none.
void PaintPlan(HDC dc, RasterSurface& pixels, const RECT& area, const Plan& plan,
               const PlanView& view, ListLine selected, UINT dpi);
