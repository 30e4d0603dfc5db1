// A counting allocator for the benchmarks that report heap use: every allocation carries its
// size in a header, so `heap_now` is the heap in use and `heap_peak` its highest value since a
// benchmark last set it. It replaces the global operator new and delete: include it in exactly
// one source file of a benchmark program.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

inline size_t heap_now = 0;
inline size_t heap_peak = 0;

namespace counting_allocator {

constexpr size_t kHeader = 16;  // keeps the returned block 16-byte aligned

inline void* allocate(size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    heap_now += size;
    heap_peak = std::max(heap_peak, heap_now);
    return static_cast<char*>(block) + kHeader;
}

inline void release(void* pointer) {
    if (!pointer) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    heap_now -= *static_cast<size_t*>(block);
    std::free(block);
}

}  // namespace counting_allocator

void* operator new(size_t size) {
    return counting_allocator::allocate(size);
}
void* operator new[](size_t size) {
    return counting_allocator::allocate(size);
}
void operator delete(void* pointer) noexcept {
    counting_allocator::release(pointer);
}
void operator delete[](void* pointer) noexcept {
    counting_allocator::release(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    counting_allocator::release(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    counting_allocator::release(pointer);
}
