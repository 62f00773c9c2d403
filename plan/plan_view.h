// Where the plan's metres land on a surface of pixels: x to the right, z upward.
#pragma once

#include <cstddef>
#include <vector>

#include "plan/plan_model.h"

// Coordinates beyond this many metres are drawn at its edge, so that a view's extent and
// its grid stay finite whatever a file holds.
constexpr double FarthestDrawn = 1e12;

// Whether an entry can be drawn at all: a position that is not a finite number has no
// place in any view.
bool PlanDrawable(const PlanEntry& entry);

struct PlanView {
    double MinX = 0, MaxX = 0, MinZ = 0, MaxZ = 0; // metres shown
    double Scale = 1;                              // pixels per metre
    double Left = 0, Top = 0;                      // the pixel of (MinX, MaxZ)

    double X(double x) const;
    double Y(double z) const;
    double Width() const { return (MaxX - MinX) * Scale; }
    double Height() const { return (MaxZ - MinZ) * Scale; }
    double MetresX(double px) const { return MinX + (px - Left) / Scale; }
    double MetresZ(double py) const { return MaxZ - (py - Top) / Scale; }
};

// The drawable entries' extent with room around them for marks and captions (at least
// ten metres each way), scaled to fit within width × height pixels, its corner at
// (left, top).
PlanView FitPlanView(const Plan& plan, double width, double height, double left, double top);

// The distance of grid lines: 1, 2 or 5 times a power of ten metres, at least minimum.
double PlanGridStep(double minimum);

// factor > 1 enlarges; the metres under pixel (px, py) stay under it. The surface keeps its
// size in pixels.
void ZoomPlanView(PlanView& view, double factor, double px, double py);

// Moves the picture by (dx, dy) pixels.
void PanPlanView(PlanView& view, double dx, double dy);

// The drawable entries whose marks lie on the surface or within margin pixels of it, in
// drawing order.
std::vector<size_t> VisiblePlanEntries(const Plan& plan, const PlanView& view, double margin);

// Where the drawable entries lie, in metres as drawn, packed tight for hit tests: built
// once per model, so that a click reads a few bytes per entry instead of the whole entry.
struct PlanSpot {
    double X = 0, Z = 0;
    size_t Entry = 0; // index into Plan::Entries
};
std::vector<PlanSpot> LocatePlanEntries(const Plan& plan);

// The top entry that brings the drawable entry nearest to pixel (px, py), if that lies
// within tolerance pixels; Array None otherwise. On a tie the entry drawn last wins, as
// it lies on top. spots are the plan's, from LocatePlanEntries.
ListLine HitTest(const Plan& plan, const std::vector<PlanSpot>& spots, const PlanView& view,
                 double px, double py, double tolerance);
