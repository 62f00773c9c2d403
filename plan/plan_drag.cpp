#include "plan/plan_drag.h"

#include <cmath>

#include "plan/plan_model.h"

namespace {

// Degrees from +z towards +x, as the plan draws a heading.
double Bearing(double dx, double dz) {
    return std::atan2(dx, dz) * 180 / Pi;
}

} // namespace

Vec3 DraggedPosition(const Vec3& start, double fromX, double fromZ, double toX, double toZ) {
    return {start.x + (toX - fromX), start.y, start.z + (toZ - fromZ)};
}

double TurnedYaw(double startYaw, double startHeading, double pivotX, double pivotZ, double toX,
                 double toZ) {
    if (toX == pivotX && toZ == pivotZ)
        return startYaw;
    const double heading = std::isfinite(startHeading) ? startHeading : startYaw;
    double yaw = std::round(startYaw + Bearing(toX - pivotX, toZ - pivotZ) - heading);
    if (!std::isfinite(yaw))
        return startYaw;
    yaw = std::fmod(yaw, 360.0);
    if (yaw > 180)
        yaw -= 360;
    else if (yaw <= -180)
        yaw += 360;
    return yaw;
}
