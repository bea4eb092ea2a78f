#include "injector/code_check.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

using injector::address_t;

// Inside this program's image, in a section that is not code.
std::uint8_t data_bytes[16];

void function_here() {}

TEST(code_check, only_sections_marked_executable_in_a_loaded_image_are_code) {
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

TEST(code_check, a_relative_call_leads_where_its_displacement_says_and_nothing_else_does) {
    static std::uint8_t code[][5] = {
        {0xE8, 0xFB, 0xFF, 0xFF, 0xFF}, {0xE8, 0x10, 0x00, 0x00, 0x00}, {0xE9, 0, 0, 0, 0}};
    const auto at = [](int i) { return reinterpret_cast<address_t>(code[i]); };
    EXPECT_EQ(injector::relative_call_destination(at(0)), at(0));
    EXPECT_EQ(injector::relative_call_destination(at(1)), at(1) + 0x15);
    EXPECT_EQ(injector::relative_call_destination(at(2)), 0u);
}

} // namespace
