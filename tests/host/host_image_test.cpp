// The host image as the module finds it: jumps at the function addresses,
// globals in place, code pages read-only and executable, and the header's
// entry point.
#include "host/addresses.hpp"
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"
#include "tests/host/raw_calls.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t function_addresses[] = {
    host_address::player_vehicle,     host_address::vector_length, host_address::hud_text_a,
    host_address::hud_text_b,         host_address::load_txd,      host_address::txd_texture,
    host_address::release_txd,        host_address::make_color,    host_address::make_rect,
    host_address::draw_textured_quad, host_address::render_2d};

DWORD protection_at(std::uint32_t address) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info);
    return info.Protect;
}

// Image pages made writable show as their copy-on-write form until written,
// and under Wine for good; either way a write goes through.
bool writable(DWORD protection) {
    return protection == PAGE_READWRITE || protection == PAGE_WRITECOPY;
}

bool executable_writable(DWORD protection) {
    return protection == PAGE_EXECUTE_READWRITE || protection == PAGE_EXECUTE_WRITECOPY;
}

std::uint32_t& entry_point_field() {
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto header = base + *reinterpret_cast<const std::uint32_t*>(base + 0x3C);
    return *reinterpret_cast<std::uint32_t*>(header + 0x28);
}

class host_image : public ::testing::Test {
  protected:
    void SetUp() override { sim::reset_state(); }
    void TearDown() override { sim::restore_code(); }
};

TEST_F(host_image, function_addresses_jump_out_of_the_image) {
    for (const std::uint32_t address : function_addresses) {
        SCOPED_TRACE(address);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(address);
        ASSERT_EQ(bytes[0], 0xE9);
        std::int32_t displacement;
        std::memcpy(&displacement, bytes + 1, sizeof displacement);
        EXPECT_GE(address + 5 + static_cast<std::uint32_t>(displacement), 0xD00000u);
    }
    EXPECT_EQ(*reinterpret_cast<const std::uint8_t*>(host_address::variant_probe_byte), 0x90);
    EXPECT_EQ(*reinterpret_cast<const std::uint8_t*>(0x500000), 0xCC)
        << "unwritten host code traps";
}

TEST_F(host_image, globals_hold_the_screen_and_the_engine) {
    EXPECT_EQ(host_screen_width(), 1920);
    EXPECT_EQ(host_screen_height(), 1080);
    sim::set_screen(1280, 720);
    EXPECT_EQ(host_screen_width(), 1280);
    EXPECT_EQ(host_screen_height(), 720);
    EXPECT_EQ(sim::frame().size(), 1280u * 720u);
    sim::set_screen(-5, 0);
    EXPECT_EQ(host_screen_width(), -5) << "the module sees the values as set";
    EXPECT_TRUE(sim::frame().empty());
    EXPECT_EQ(sim::pixel(0, 0), 0u);
    EXPECT_FALSE(sim::write_frame_png("never_written.png"));

    const auto* engine = *reinterpret_cast<unsigned char* const*>(host_address::render_engine);
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(*reinterpret_cast<const std::uint32_t*>(engine + engine_render_state_offset), 0u);
}

TEST_F(host_image, code_is_execute_read_and_globals_read_write) {
    for (const std::uint32_t address :
         {0x401000u, host_address::vector_length, host_address::variant_probe_byte,
          host_address::init_call_site, host_address::hud_text_b_call_site,
          host_address::release_txd, 0xBFFFFFu}) {
        EXPECT_EQ(protection_at(address), static_cast<DWORD>(PAGE_EXECUTE_READ)) << address;
    }
    for (const std::uint32_t address :
         {0xC00000u, host_address::screen_width, host_address::quad_vertices,
          host_address::render_engine, 0xCFFFFFu}) {
        EXPECT_TRUE(writable(protection_at(address))) << address;
    }
}

TEST_F(host_image, writing_code_needs_a_protection_change) {
    EXPECT_TRUE(store_faults(host_address::draw_call_site));
    EXPECT_TRUE(store_faults(host_address::render_2d));
    EXPECT_FALSE(store_faults(host_address::screen_width));
    EXPECT_TRUE(sim::changed_code_bytes().empty());

    auto* site = reinterpret_cast<std::uint8_t*>(host_address::variant_probe_byte);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(site, 1, PAGE_EXECUTE_READWRITE, &previous));
    EXPECT_FALSE(store_faults(host_address::variant_probe_byte));
    *site = 0xE9;
    VirtualProtect(site, 1, previous, &previous);
    EXPECT_TRUE(executable_writable(previous));
    EXPECT_TRUE(store_faults(host_address::variant_probe_byte));

    EXPECT_EQ(sim::changed_code_bytes(),
              std::vector<std::uint32_t>{host_address::variant_probe_byte});
    EXPECT_EQ(sim::snapshot(host_address::variant_probe_byte, 1), std::vector<std::uint8_t>{0x90});
    sim::restore_code();
    EXPECT_EQ(*site, 0x90);
    EXPECT_TRUE(sim::changed_code_bytes().empty());
    EXPECT_EQ(protection_at(host_address::variant_probe_byte),
              static_cast<DWORD>(PAGE_EXECUTE_READ));
}

TEST_F(host_image, snapshot_shows_the_image_as_installed) {
    const auto site = sim::snapshot(host_address::init_call_site, 6);
    ASSERT_EQ(site.size(), 6u);
    EXPECT_TRUE(std::equal(site.begin(), site.end(),
                           reinterpret_cast<const std::uint8_t*>(host_address::init_call_site)));
    EXPECT_EQ(site[0], 0xE8);
    EXPECT_EQ(site[5], 0xC3);

    sim::set_screen(800, 600);
    const auto width = sim::snapshot(host_address::screen_width, 4);
    std::int32_t value;
    std::memcpy(&value, width.data(), sizeof value);
    EXPECT_EQ(value, 800) << "globals the simulator wrote show in the snapshot";

    EXPECT_THROW(sim::snapshot(0x400000, 4), std::out_of_range);
    EXPECT_THROW(sim::snapshot(0xCFFFFE, 4), std::out_of_range);
    EXPECT_EQ(sim::snapshot(0xCFFFFC, 4).size(), 4u);
}

TEST_F(host_image, set_entry_point_rewrites_the_header_and_keeps_it_read_only) {
    const std::uint32_t original = entry_point_field();
    const auto header_page = reinterpret_cast<std::uintptr_t>(&entry_point_field());
    sim::set_entry_point(0x4245B0);
    EXPECT_EQ(entry_point_field(), 0x4245B0u);
    EXPECT_EQ(protection_at(header_page), static_cast<DWORD>(PAGE_READONLY));
    sim::set_entry_point(0x1C1E70);
    EXPECT_EQ(entry_point_field(), 0x1C1E70u);
    sim::set_entry_point(original);
    EXPECT_EQ(entry_point_field(), original);
}

} // namespace
