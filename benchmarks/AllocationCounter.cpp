#include "benchmarks/AllocationCounter.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace kvt::bench {
namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void Counted(void* block) {
    if (block == nullptr) return;
    const std::size_t live = gLive.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
                             malloc_usable_size(block);
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    Counted(block);
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    void* block = std::aligned_alloc(align, ((size == 0 ? 1 : size) + align - 1) / align * align);
    if (block == nullptr) throw std::bad_alloc();
    Counted(block);
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    gLive.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

std::size_t LiveHeapBytes() { return gLive.load(std::memory_order_relaxed); }
std::size_t PeakHeapBytes() { return gPeak.load(std::memory_order_relaxed); }
void ResetHeapPeak() { gPeak.store(gLive.load(std::memory_order_relaxed), std::memory_order_relaxed); }

std::size_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // Linux gives kilobytes
}

}  // namespace kvt::bench

// The replaceable global allocation functions; every other form of new and
// delete in the standard library forwards to these.
void* operator new(std::size_t size) { return kvt::bench::Allocate(size); }
void* operator new[](std::size_t size) { return kvt::bench::Allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return kvt::bench::AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return kvt::bench::AllocateAligned(size, alignment);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return kvt::bench::Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return kvt::bench::Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept { kvt::bench::Release(block); }
void operator delete[](void* block) noexcept { kvt::bench::Release(block); }
void operator delete(void* block, std::size_t) noexcept { kvt::bench::Release(block); }
void operator delete[](void* block, std::size_t) noexcept { kvt::bench::Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { kvt::bench::Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { kvt::bench::Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { kvt::bench::Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { kvt::bench::Release(block); }
