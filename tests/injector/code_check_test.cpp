#include "injector/code_check.hpp"

#include "injector/call_chain.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

using injector::address_t;

// Inside this program's image, in a section that is not code.
std::uint8_t data_bytes[16];

void function_here() {}

TEST(code_check, only_executable_pages_of_a_loaded_image_are_code) {
    std::vector<std::uint8_t> heap(16);
    const auto kernel32_function =
        reinterpret_cast<address_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep"));
    const struct {
        const char* what;
        address_t address;
        bool code;
    } cases[] = {
        {"the host image's code", 0x401000, true},
        {"a function of this program", reinterpret_cast<address_t>(&function_here), true},
        {"a function of another module", kernel32_function, true},
        {"data of this program", reinterpret_cast<address_t>(data_bytes), false},
        {"the image headers", 0x400000, false},
        {"the heap", reinterpret_cast<address_t>(heap.data()), false},
        {"nothing mapped", 0x10, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(injector::is_executable_code(c.address), c.code) << c.what;
    }
}

// Pages a hooking library might allocate for its trampolines, one protection
// each, with a range of size bytes from address on them.
TEST(code_check, allocated_memory_is_code_when_every_byte_of_the_range_may_run) {
    constexpr std::uint32_t page = 4096;
    auto* block = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 4 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    const DWORD protections[] = {PAGE_EXECUTE_READ, PAGE_EXECUTE_READWRITE, PAGE_READWRITE,
                                 PAGE_EXECUTE_READ | PAGE_GUARD};
    for (std::uint32_t i = 0; i < 4; ++i) {
        DWORD previous = 0;
        ASSERT_TRUE(VirtualProtect(block + i * page, page, protections[i], &previous));
    }
    void* reserved = VirtualAlloc(nullptr, page, MEM_RESERVE, PAGE_EXECUTE_READ);
    ASSERT_NE(reserved, nullptr);
    const auto at = [block](std::uint32_t offset) {
        return reinterpret_cast<address_t>(block + offset);
    };
    const struct {
        const char* what;
        address_t address;
        std::uint32_t size;
        bool code;
    } cases[] = {
        {"across two executable regions", at(page - 1), 2, true},
        {"up to the last executable byte", at(2 * page - 5), 5, true},
        {"one byte past the last executable byte", at(2 * page - 5), 6, false},
        {"read-write", at(2 * page), 1, false},
        {"executable but guarded", at(3 * page), 1, false},
        {"reserved, not committed", reinterpret_cast<address_t>(reserved), 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(injector::is_executable_code(c.address, c.size), c.code) << c.what;
    }
    VirtualFree(reserved, 0, MEM_RELEASE);
    VirtualFree(block, 0, MEM_RELEASE);
}

TEST(code_check, a_relative_call_leads_where_its_displacement_says_and_nothing_else_does) {
    static std::uint8_t code[][5] = {
        {0xE8, 0xFB, 0xFF, 0xFF, 0xFF}, {0xE8, 0x10, 0x00, 0x00, 0x00}, {0xE9, 0, 0, 0, 0}};
    const auto at = [](int i) { return reinterpret_cast<address_t>(code[i]); };
    EXPECT_EQ(injector::relative_call_destination(at(0)), at(0));
    EXPECT_EQ(injector::relative_call_destination(at(1)), at(1) + 0x15);
    EXPECT_EQ(injector::relative_call_destination(at(2)), 0u);
}

// A path through plug-in code that goes round in a loop, or whose code ends
// a byte into an instruction at a page that is only reserved, cannot be told:
// the walk stops, and reads nothing past committed memory.
TEST(code_check, a_call_path_is_followed_only_so_far_and_only_through_committed_memory) {
    constexpr std::uint32_t page = 4096;
    auto* code =
        static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_TRUE(VirtualAlloc(code, page, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    const std::uint8_t loop[] = {0xEB, 0xFE}, cut_short[] = {0x90, 0x8B};
    std::memcpy(code, loop, sizeof loop);
    std::memcpy(code + page - 2, cut_short, sizeof cut_short);
    for (const std::uint8_t* from : {code, code + page - 2}) {
        EXPECT_EQ(injector::follow_chain_from(0x401000, reinterpret_cast<address_t>(from), {}).end,
                  injector::chain_end::kind::unknown);
    }
    VirtualFree(code, 0, MEM_RELEASE);
}

} // namespace
