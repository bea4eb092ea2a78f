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

// The walk's decoder: each row's bytes stand right before a mark, so the walk
// meets it only with every length and branch read right, and ends where the
// row says otherwise. A pointer in a guard page is never read.
TEST(code_check, the_walk_reads_what_hooking_code_puts_before_the_way_on) {
    using bytes = std::vector<std::uint8_t>;
    using kind = injector::chain_end::kind;
    constexpr std::uint32_t page = 4096;
    auto* base = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 4 * page, MEM_RESERVE, 1));
    ASSERT_TRUE(VirtualAlloc(base, 3 * page, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    const auto at = [&](std::uint32_t offset) {
        return reinterpret_cast<address_t>(base) + offset;
    };
    const address_t mark = at(0x100), helper = at(0x200), guarded = at(page);
    const address_t home = reinterpret_cast<address_t>(&function_here), other_host = 0x401000;
    std::memset(base, 0xCC, page);
    base[0x200] = 0xC3;
    base[0x220] = 0xEB, base[0x221] = 0xFE; // a helper that loops for good
    const address_t pointers[] = {helper, mark};
    std::memcpy(base + 0x210, pointers, sizeof pointers);
    std::memcpy(base + page, &helper, 4);
    DWORD was = 0;
    VirtualProtect(base + page, page, PAGE_EXECUTE_READ | PAGE_GUARD, &was);
    VirtualProtect(base + 2 * page, page, PAGE_NOACCESS, &was);
    const auto u32 = [](address_t value) {
        bytes four(4);
        std::memcpy(four.data(), &value, 4);
        return four;
    };
    // A displacement to target from the end of an instruction tail bytes before the mark.
    const auto rel = [&](address_t target, address_t tail) { return u32(target - (mark - tail)); };
    const auto cat = [](std::initializer_list<bytes> parts) {
        bytes all;
        for (const bytes& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    const struct {
        const char* what;
        bytes code;
        kind end;
        address_t at; // the host's function is reached only by a call
    } cases[] = {
        {"mov eax, [ebp+8]", {0x8B, 0x45, 0x08}, kind::met, mark},
        {"mov eax, [ebp+disp32]", {0x8B, 0x85, 0xCC, 0xCC, 0xCC, 0xCC}, kind::met, mark},
        {"mov eax, [esp+4]", {0x8B, 0x44, 0x24, 0x04}, kind::met, mark},
        {"inc dword [ecx*4+disp32]", {0xFF, 0x04, 0x8D, 0xCC, 0xCC, 0xCC, 0xCC}, kind::met, mark},
        {"mov ax, imm16", {0x66, 0xB8, 0xCC, 0xCC}, kind::met, mark},
        {"cmp dword [x], imm32", cat({{0x81, 0x3D}, bytes(8, 0xCC)}), kind::met, mark},
        {"add esp, imm32", {0x81, 0xC4, 0xCC, 0xCC, 0xCC, 0xCC}, kind::met, mark},
        {"add esp, imm8", {0x83, 0xC4, 0x04}, kind::met, mark},
        {"push imm32", {0x68, 0xCC, 0xCC, 0xCC, 0xCC}, kind::met, mark},
        {"push imm32; ret", cat({{0x68}, u32(mark), {0xC3}}), kind::met, mark},
        {"call [helper]", cat({{0xFF, 0x15}, u32(at(0x210))}), kind::met, mark},
        {"call [guard page]", cat({{0xFF, 0x15}, u32(guarded)}), kind::unknown, mark - 6},
        {"call helper", cat({{0xE8}, rel(helper, 0)}), kind::met, mark},
        {"call a helper that loops", cat({{0xE8}, rel(at(0x220), 0)}), kind::met, mark},
        {"mov eax, imm32; jmp eax", cat({{0xB8}, u32(mark), {0xFF, 0xE0}}), kind::met, mark},
        {"mov ecx, imm32; jmp ecx", cat({{0xB9}, u32(mark), {0xFF, 0xE1}}), kind::met, mark},
        {"mov eax, imm32; inc eax; jmp eax", cat({{0xB8}, u32(mark), {0x40, 0xFF, 0xE0}}),
         kind::unknown, mark - 2},
        {"jmp rel8", {0xEB, 0x01, 0xCC}, kind::met, mark},
        {"call helper; jmp rel32", cat({{0xE8}, rel(helper, 5), {0xE9}, rel(mark, 0)}), kind::met,
         mark},
        {"call [helper]; jmp [mark]",
         cat({{0xFF, 0x15}, u32(at(0x210)), {0xFF, 0x25}, u32(at(0x214))}), kind::met, mark},
        {"call another host function", cat({{0xE8}, rel(other_host, 0)}), kind::met, mark},
        {"call the host's function; ret", cat({{0xE8}, rel(home, 1), {0xC3}}), kind::host, home},
        {"jmp into a page of no access", cat({{0xE9}, rel(at(2 * page), 0)}), kind::unknown,
         at(2 * page)},
        {"jmp into a guard page", cat({{0xE9}, rel(guarded, 0)}), kind::unknown, guarded},
        {"jmp into reserved memory", cat({{0xE9}, rel(at(3 * page), 0)}), kind::broken,
         at(3 * page)},
    };
    for (const auto& c : cases) {
        std::memset(base, 0xCC, 0x100);
        std::memcpy(base + 0x100 - c.code.size(), c.code.data(), c.code.size());
        const injector::chain_end end =
            injector::follow_chain_from(0x401000, mark - c.code.size(), {&mark, 1}, home);
        EXPECT_EQ(end.end, c.end) << c.what;
        EXPECT_EQ(end.at, c.at) << c.what;
        EXPECT_EQ(end.through_call, c.end == kind::host) << c.what;
    }
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(base + page, &region, sizeof region);
    EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ | PAGE_GUARD));
    VirtualFree(base, 0, MEM_RELEASE);
}

} // namespace
