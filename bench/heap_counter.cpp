#include "heap_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// Each block starts with its size, padded so that the caller's part stays aligned.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void* Allocate(std::size_t size) noexcept {
    void* block = std::malloc(size + kHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const long long live = g_live += static_cast<long long>(size);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* pointer) noexcept {
    if (!pointer) return;
    char* block = static_cast<char*>(pointer) - kHeader;
    g_live -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
    void* pointer = Allocate(size);
    if (!pointer) throw std::bad_alloc();
    return pointer;
}

}  // namespace

namespace qvrfc_bench {

long long LiveHeapBytes() {
    return g_live.load();
}

void ResetPeakHeapBytes() {
    g_peak = g_live.load();
}

long long PeakHeapBytes() {
    return g_peak.load();
}

}  // namespace qvrfc_bench

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    Release(pointer);
}
