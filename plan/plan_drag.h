// What dragging an entry in the plan does to it: the points are metres of the plan, where the
// drag began (from) and where the cursor is now (to).
#pragma once

#include "document/document.h"

// Moved by the cursor's way in x and z; the height stays.
Vec3 DraggedPosition(const Vec3& start, double fromX, double fromZ, double toX, double toZ);

// Turned about the entry's own place (pivot) so that its heading, startHeading when its yaw was
// startYaw, points at the cursor: whole degrees within (-180, 180]. The yaw is the first angle
// of a rotation; with the cursor on the pivot it stays.
double TurnedYaw(double startYaw, double startHeading, double pivotX, double pivotZ, double toX,
                 double toZ);
