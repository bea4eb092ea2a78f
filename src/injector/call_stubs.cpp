#include "injector/call_stubs.hpp"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace injector {

namespace {

constexpr std::uint32_t page_size = 4096;

// One stub: a relative jump, E9 and its displacement, placed at offset 3 of
// its 16-byte slot so that the displacement is 4-byte aligned: one aligned
// store turns the stub elsewhere while a host thread may be passing through
// it. A direct jump, unlike one through a pointer, costs the host's call next
// to nothing. The rest of the slot is int3.
constexpr std::uint32_t slot_size = 16;
constexpr std::uint32_t slot_count = page_size / slot_size;
constexpr std::uint32_t entry_offset = 3;
constexpr std::uint32_t displacement_offset = entry_offset + 1;
constexpr std::uint32_t jump_length = 5;
constexpr std::uint8_t relative_jump = 0xE9;
constexpr std::uint8_t int3 = 0xCC;

enum class slot_state : std::uint8_t { free, in_use, left_behind };

// Plain data with nothing to destroy, so it registers no destructor: a page
// with a stub left behind outlives the module on purpose.
struct stub_page {
    address_t base;
    std::uint32_t in_use;
    bool keep; // a stub was left behind: the page is never freed
    slot_state slots[slot_count];
};

stub_page page;

// The page is executable and read-only but for the moment a stub is written.
// It is the module's own memory, so the change does not go through the
// watched protection changes of host code.
class writable_page {
  public:
    writable_page() {
        changed = VirtualProtect(reinterpret_cast<void*>(page.base), page_size,
                                 PAGE_EXECUTE_READWRITE, &previous) != 0;
    }
    ~writable_page() {
        if (changed) {
            DWORD scratch = 0;
            VirtualProtect(reinterpret_cast<void*>(page.base), page_size, previous, &scratch);
        }
    }
    writable_page(const writable_page&) = delete;
    writable_page& operator=(const writable_page&) = delete;

  private:
    DWORD previous = 0;
    bool changed = false;
};

void flush(address_t address, std::uint32_t size) {
    FlushInstructionCache(GetCurrentProcess(), reinterpret_cast<const void*>(address), size);
}

// The displacement that makes the jump at the stub's entry land on target.
std::uint32_t displacement_to(address_t entry, address_t target) {
    return target - (entry + jump_length); // wraps, so it reaches back too
}

void write_stub(address_t slot_begin, address_t target) {
    std::uint8_t code[slot_size];
    std::memset(code, int3, sizeof code);
    code[entry_offset] = relative_jump;
    const std::uint32_t displacement = displacement_to(slot_begin + entry_offset, target);
    std::memcpy(code + displacement_offset, &displacement, sizeof displacement);
    writable_page writable;
    std::memcpy(reinterpret_cast<void*>(slot_begin), code, sizeof code);
    flush(slot_begin, slot_size);
}

// No free slot of a page that stays holds a jump: once the module is gone,
// it would lead into memory that is no longer the module's. Only free slots
// are written, so a host thread passing through a stub in use meets the
// bytes it always met.
void wipe_free_slots() {
    {
        writable_page writable;
        for (std::uint32_t slot = 0; slot < slot_count; ++slot) {
            if (page.slots[slot] == slot_state::free) {
                std::memset(reinterpret_cast<void*>(page.base + slot * slot_size), int3, slot_size);
            }
        }
    }
    flush(page.base, page_size);
}

std::uint32_t slot_of(address_t stub) {
    return (stub - page.base) / slot_size;
}

bool is_stub_in_use(address_t stub) {
    return page.base != 0 && stub >= page.base && stub < page.base + page_size &&
           page.slots[slot_of(stub)] == slot_state::in_use;
}

// One aligned store: a host thread passing through the stub meets the old
// jump or the new one, never half of each.
void turn_stub(address_t stub, address_t target) {
    writable_page writable;
    std::atomic_ref<std::uint32_t>(*reinterpret_cast<std::uint32_t*>(stub + 1))
        .store(displacement_to(stub, target), std::memory_order_release);
    flush(stub + 1, sizeof(std::uint32_t));
}

} // namespace

bool reserve_call_stub_page() {
    if (page.base == 0) {
        void* memory =
            VirtualAlloc(nullptr, page_size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READ);
        if (memory == nullptr) {
            return false;
        }
        page.base = reinterpret_cast<address_t>(memory);
    }
    return true;
}

address_t acquire_call_stub(address_t target) {
    if (!reserve_call_stub_page()) {
        return 0;
    }
    for (std::uint32_t slot = 0; slot < slot_count; ++slot) {
        if (page.slots[slot] == slot_state::free) {
            const address_t slot_begin = page.base + slot * slot_size;
            write_stub(slot_begin, target);
            page.slots[slot] = slot_state::in_use;
            ++page.in_use;
            return slot_begin + entry_offset;
        }
    }
    return 0;
}

void release_call_stub(address_t stub) {
    if (!is_stub_in_use(stub)) {
        return;
    }
    page.slots[slot_of(stub)] = slot_state::free;
    if (--page.in_use == 0 && !page.keep) {
        VirtualFree(reinterpret_cast<void*>(page.base), 0, MEM_RELEASE);
        page = stub_page{};
    } else if (page.keep) {
        wipe_free_slots();
    }
}

void leave_call_stub(address_t stub, address_t earlier_callee) {
    if (!is_stub_in_use(stub)) {
        return;
    }
    turn_stub(stub, earlier_callee);
    page.slots[slot_of(stub)] = slot_state::left_behind;
    --page.in_use;
    page.keep = true;
    wipe_free_slots();
}

void revive_call_stub(address_t stub, address_t target) {
    if (page.base == 0 || stub < page.base || stub >= page.base + page_size ||
        page.slots[slot_of(stub)] != slot_state::left_behind) {
        return;
    }
    turn_stub(stub, target);
    page.slots[slot_of(stub)] = slot_state::in_use;
    ++page.in_use;
}

} // namespace injector
