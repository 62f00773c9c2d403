#include "plan/plan_view.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double MinimumExtent = 10; // metres: a single entry still gets a readable grid

double Drawn(double coordinate) {
    return std::clamp(coordinate, -FarthestDrawn, FarthestDrawn);
}

} // namespace

bool PlanDrawable(const PlanEntry& entry) {
    return std::isfinite(entry.Position.x) && std::isfinite(entry.Position.y) &&
           std::isfinite(entry.Position.z);
}

double PlanView::X(double x) const {
    return Left + (Drawn(x) - MinX) * Scale;
}

double PlanView::Y(double z) const {
    return Top + (MaxZ - Drawn(z)) * Scale;
}

PlanView FitPlanView(const Plan& plan, double width, double height, double left, double top) {
    PlanView v;
    v.Left = left;
    v.Top = top;
    bool any = false;
    for (const PlanEntry& e : plan.Entries) {
        if (!PlanDrawable(e))
            continue;
        double x = Drawn(e.Position.x), z = Drawn(e.Position.z);
        if (!any) {
            v.MinX = v.MaxX = x;
            v.MinZ = v.MaxZ = z;
            any = true;
        }
        v.MinX = std::min(v.MinX, x);
        v.MaxX = std::max(v.MaxX, x);
        v.MinZ = std::min(v.MinZ, z);
        v.MaxZ = std::max(v.MaxZ, z);
    }
    if (!any) {
        v.MinX = v.MinZ = -MinimumExtent / 2;
        v.MaxX = v.MaxZ = MinimumExtent / 2;
    }
    double padX = std::max(MinimumExtent - (v.MaxX - v.MinX), 0.0) / 2 + (v.MaxX - v.MinX) * 0.08;
    double padZ = std::max(MinimumExtent - (v.MaxZ - v.MinZ), 0.0) / 2 + (v.MaxZ - v.MinZ) * 0.08;
    v.MinX -= padX;
    v.MaxX += padX;
    v.MinZ -= padZ;
    v.MaxZ += padZ;
    v.Scale = std::min(width / (v.MaxX - v.MinX), height / (v.MaxZ - v.MinZ));
    return v;
}

double PlanGridStep(double minimum) {
    double power = std::pow(10.0, std::floor(std::log10(minimum)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= minimum * (1 - 1e-12))
            return factor * power;
    return 10 * power;
}

void ZoomPlanView(PlanView& view, double factor, double px, double py) {
    const double width = view.Width(), height = view.Height();
    const double x = view.MetresX(px), z = view.MetresZ(py);
    view.Scale *= factor;
    view.MinX = x - (px - view.Left) / view.Scale;
    view.MaxZ = z + (py - view.Top) / view.Scale;
    view.MaxX = view.MinX + width / view.Scale;
    view.MinZ = view.MaxZ - height / view.Scale;
}

void PanPlanView(PlanView& view, double dx, double dy) {
    const double x = dx / view.Scale, z = dy / view.Scale;
    view.MinX -= x;
    view.MaxX -= x;
    view.MinZ += z;
    view.MaxZ += z;
}

std::vector<size_t> VisiblePlanEntries(const Plan& plan, const PlanView& view, double margin) {
    // Compared in metres: one subtraction less per entry than in pixels.
    const double reach = margin / view.Scale;
    const double minX = view.MinX - reach, maxX = view.MaxX + reach;
    const double minZ = view.MinZ - reach, maxZ = view.MaxZ + reach;
    std::vector<size_t> visible;
    for (size_t i = 0; i < plan.Entries.size(); ++i) {
        const PlanEntry& e = plan.Entries[i];
        const double x = Drawn(e.Position.x), z = Drawn(e.Position.z);
        if (x >= minX && x <= maxX && z >= minZ && z <= maxZ && PlanDrawable(e))
            visible.push_back(i);
    }
    return visible;
}

std::vector<PlanSpot> LocatePlanEntries(const Plan& plan) {
    std::vector<PlanSpot> spots;
    spots.reserve(plan.Entries.size());
    for (size_t i = 0; i < plan.Entries.size(); ++i)
        if (PlanDrawable(plan.Entries[i]))
            spots.push_back(
                {Drawn(plan.Entries[i].Position.x), Drawn(plan.Entries[i].Position.z), i});
    return spots;
}

ListLine HitTest(const Plan& plan, const std::vector<PlanSpot>& spots, const PlanView& view,
                 double px, double py, double tolerance) {
    // Compared in metres: the click is turned once instead of every entry.
    const double x = view.MetresX(px), z = view.MetresZ(py);
    const double reach = tolerance / view.Scale;
    double best = reach * reach;
    const PlanSpot* nearest = nullptr;
    for (const PlanSpot& spot : spots) {
        const double dx = spot.X - x, dz = spot.Z - z;
        const double distance = dx * dx + dz * dz;
        if (distance <= best) {
            best = distance;
            nearest = &spot;
        }
    }
    return nearest ? plan.Entries[nearest->Entry].Top : ListLine{};
}
