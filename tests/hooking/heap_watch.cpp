#include "heap_watch.hpp"

#include <cstdlib>
#include <new>

namespace {
std::uint64_t allocation_count = 0;
bool failing = false;
} // namespace

namespace heap_watch {

std::uint64_t allocations() {
    return allocation_count;
}
void fail_allocations(bool fail) {
    failing = fail;
}

} // namespace heap_watch

void* operator new(std::size_t size) {
    ++allocation_count;
    if (!failing) {
        if (void* block = std::malloc(size == 0 ? 1 : size)) {
            return block;
        }
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
