// The benchmarks' count of the C++ heap: every operator new and delete of the process goes
// through it, so that a run can say how much memory it held at most.
#pragma once

#include <cstddef>

// Starts a new peak at what is allocated now.
void ResetHeapPeak();
// The most bytes allocated at once since ResetHeapPeak, beyond what was allocated then.
size_t HeapPeakSinceReset();
