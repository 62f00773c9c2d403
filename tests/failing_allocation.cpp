#include "tests/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> AllocationsBeforeFailure{-1}; // -1: never fail
} // namespace

// The replaced operator new takes its memory from malloc, so free is its delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    if (AllocationsBeforeFailure.load() >= 0 && AllocationsBeforeFailure.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

FailingAllocation::FailingAllocation(long after) {
    AllocationsBeforeFailure = after;
}
FailingAllocation::~FailingAllocation() {
    AllocationsBeforeFailure = -1;
}
bool FailingAllocation::Happened() {
    return AllocationsBeforeFailure.load() < 0;
}
