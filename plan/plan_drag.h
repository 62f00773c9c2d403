// What dragging an entry in the plan does to it: the points are metres of the plan, where the
// button went down (from) and where the cursor is now (to).
#pragma once

#include "document/document.h"

// Moved by the cursor's way in x and z; the height stays.
Vec3 DraggedPosition(const Vec3& start, double fromX, double fromZ, double toX, double toZ);

// Turned about the entry's own place (pivot) by the angle the cursor swept round it, in whole
// degrees, within (-180, 180]; the yaw is the first angle of a rotation.
double TurnedYaw(double startYaw, double pivotX, double pivotZ, double fromX, double fromZ,
                 double toX, double toZ);
