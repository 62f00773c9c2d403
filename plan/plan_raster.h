// Marks and heading strokes drawn straight into a picture's pixels: a window paints tens of
// thousands of entries in milliseconds this way, where a call of the system per mark takes
// seconds. Everything is clipped to the picture.
#pragma once

#include <cstdint>

#include "plan/plan_model.h"

struct RasterSurface {
    uint32_t* Pixels = nullptr; // 0x00RRGGBB, row after row from the top
    int Width = 0, Height = 0;
};

// "#rrggbb" as a pixel.
uint32_t RasterColour(const char* hex);

// A line width pixels thick from (x0, y0) to (x1, y1).
void RasterStroke(RasterSurface& surface, int x0, int y0, int x1, int y1, int width,
                  uint32_t colour);

// The mark of an entry of kind at (x, y), reaching r pixels out: a dot (objects), a square
// (groups), a white diamond with a rim (labels), a white crossed square (unloadable groups).
void RasterMark(RasterSurface& surface, PlanKind kind, int x, int y, int r, uint32_t colour);
