#include "bench/heap_peak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> Allocated{0};
std::atomic<size_t> Peak{0};
size_t Base = 0;

void* Take(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    // The block as the allocator really holds it, so that a delete subtracts the same.
    size_t now = Allocated += malloc_usable_size(p);
    size_t peak = Peak.load();
    while (now > peak && !Peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Give(void* p) {
    if (!p)
        return;
    Allocated -= malloc_usable_size(p);
    free(p);
}

} // namespace

void ResetHeapPeak() {
    Base = Allocated.load();
    Peak = Base;
}

size_t HeapPeakSinceReset() {
    return Peak.load() - Base;
}

void* operator new(size_t size) {
    return Take(size);
}
void* operator new[](size_t size) {
    return Take(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Take(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept {
    Give(p);
}
void operator delete[](void* p) noexcept {
    Give(p);
}
void operator delete(void* p, size_t) noexcept {
    Give(p);
}
void operator delete[](void* p, size_t) noexcept {
    Give(p);
}
