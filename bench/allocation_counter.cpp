// Counts every heap allocation made through operator new in this program, so
// that the benchmarks can show how many a frame or a host call makes.
#include "benchmarks.hpp"

#include <cstdlib>
#include <new>

namespace {
std::uint64_t allocations = 0;
}

std::uint64_t heap_allocations() {
    return allocations;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
