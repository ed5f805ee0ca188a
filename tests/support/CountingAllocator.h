// Replaces the global operator new/delete of one benchmark program so that it
// can count heap allocations. Include in exactly one translation unit.
#pragma once

// The replacement new hands out malloc'ed blocks and its deletes free them;
// GCC cannot see that the pair belongs together.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <cstdlib>
#include <new>

namespace velmora_testing {
inline unsigned long long g_allocations = 0;
}

void* operator new(std::size_t size) {
    ++velmora_testing::g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    ++velmora_testing::g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
