// Out-of-memory tests: the test program's operator new fails the n-th allocation when asked.
#pragma once

// Fails the allocation after `after` successful ones, until the end of the scope.
struct FailingAllocation {
    explicit FailingAllocation(long after);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
    // True once the failure was handed out.
    static bool Happened();
};
