#include "plan/plan_drag.h"

#include <cmath>

namespace {

// Degrees from +z towards +x, as the plan draws a heading.
double Bearing(double dx, double dz) {
    return std::atan2(dx, dz) * 180 / 3.14159265358979323846;
}

} // namespace

Vec3 DraggedPosition(const Vec3& start, double fromX, double fromZ, double toX, double toZ) {
    return {start.x + (toX - fromX), start.y, start.z + (toZ - fromZ)};
}

double TurnedYaw(double startYaw, double pivotX, double pivotZ, double fromX, double fromZ,
                 double toX, double toZ) {
    const double swept =
        Bearing(toX - pivotX, toZ - pivotZ) - Bearing(fromX - pivotX, fromZ - pivotZ);
    double yaw = std::round(startYaw + swept);
    if (!std::isfinite(yaw))
        return startYaw;
    yaw = std::fmod(yaw, 360.0);
    if (yaw > 180)
        yaw -= 360;
    else if (yaw <= -180)
        yaw += 360;
    return yaw;
}
