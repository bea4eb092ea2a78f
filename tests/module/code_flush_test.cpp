// Code changed in place runs only once the instruction cache is flushed: every
// write the module makes to host code is followed by a flush of exactly the
// bytes it wrote.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "simhost/image_layout.hpp"

TEST_F(module_test, every_write_to_host_code_is_flushed_for_exactly_its_bytes) {
    load();
    flush_trace trace(module_);
    sim::run_event_site(sim::event_site::init);
    unload();
    const std::vector<flush>& seen = trace.seen;

    constexpr std::uint32_t a = host_address::hud_text_a_call_site;
    constexpr std::uint32_t b = host_address::hud_text_b_call_site;
    // The stubs the text sites call lie outside the host's image and are
    // written whole.
    std::vector<flush> host_code;
    for (const flush& f : seen) {
        if (f.first >= sim::detail::code_begin && f.first < sim::detail::code_end) {
            host_code.push_back(f);
        } else {
            EXPECT_EQ(f.second, 16u);
        }
    }
    EXPECT_EQ(seen.size(), host_code.size() + 2);

    // A call is written as its opcode, then its displacement; a site given
    // back is written whole.
    const std::vector<flush> expected = {{a, 1},
                                         {a + 1, 4},
                                         {b, 1},
                                         {b + 1, 4},
                                         {b, 5},
                                         {a, 5},
                                         {host_address::shutdown_call_site, 5},
                                         {host_address::draw_call_site, 5},
                                         {host_address::init_call_site, 5}};
    EXPECT_EQ(host_code, expected);
}
