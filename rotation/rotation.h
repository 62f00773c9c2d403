#pragma once

// The one export of the rotation library. Export calls it for every entry of a nested group.

#ifdef _WIN32
#ifdef ROTATION_BUILD
#define ROTATION_API __declspec(dllexport)
#else
#define ROTATION_API __declspec(dllimport)
#endif
#define ROTATION_CALL __cdecl
#else
#define ROTATION_API __attribute__((visibility("default")))
#define ROTATION_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Each argument points to three doubles; angles are in degrees in the order of a Rotation
// attribute (yaw about Y, roll about Z, pitch about X).
// outPosition receives position turned by groupRotation (not moved by the group's position).
// outRotation receives the single rotation equal to rotation followed by groupRotation, with
// yaw and roll in [-180, 180] and pitch in [-90, 90].
// All inputs are read before any output is written, so outputs may be the input arrays.
ROTATION_API void ROTATION_CALL CDreheGroupObjekt(double* outPosition, double* outRotation,
                                                  const double* position, const double* rotation,
                                                  const double* groupRotation);

#ifdef __cplusplus
}
#endif
