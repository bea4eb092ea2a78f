// Hosts whose code is not what the module expects at one of its five sites:
// the module must take nothing over, keep the host's own calls running and
// say why in its log. With every site as expected, it writes no log at all.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char log_file[] = "speedometer.log";

// Inside this program's image, but in a section that is not code.
std::uint8_t data_block[64];

std::string read_log() {
    std::ifstream file(log_file, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> relative(std::uint8_t opcode, std::uint32_t site, std::uint32_t target) {
    const std::uint32_t displacement = target - (site + 5);
    std::vector<std::uint8_t> bytes = {opcode, 0, 0, 0, 0};
    std::memcpy(&bytes[1], &displacement, 4);
    return bytes;
}

std::string hex_bytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char byte[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, text.empty() ? "%02X" : " %02X", b);
        text += byte;
    }
    return text;
}

bool is_text_site(std::uint32_t site) {
    return site == host_address::hud_text_a_call_site || site == host_address::hud_text_b_call_site;
}

// What a host's own code might hold at a site in another build.
struct foreign_case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    bool host_can_run_it; // the site still works as a call site
};

std::vector<foreign_case> foreign_cases(std::uint32_t site) {
    const bool text = is_text_site(site);
    std::vector<foreign_case> cases = {
        {"five NOPs", {0x90, 0x90, 0x90, 0x90, 0x90}, true},
        // After a jump the host would not come back past the site: not run.
        {"a jump", relative(0xE9, site, host_address::hud_text_a), false},
        {"a call into data", relative(0xE8, site, reinterpret_cast<std::uint32_t>(data_block)),
         false},
    };
    if (text) {
        const std::uint32_t other = site == host_address::hud_text_a_call_site
                                        ? host_address::hud_text_b
                                        : host_address::hud_text_a;
        cases.push_back({"a call to another host function", relative(0xE8, site, other), true});
    }
    return cases;
}

} // namespace

TEST_F(module_test, with_foreign_code_at_any_site_the_module_changes_nothing_and_says_why) {
    DeleteFileA(log_file);
    load();
    sim::run_event_site(sim::event_site::init);
    unload();
    EXPECT_EQ(GetFileAttributesA(log_file), INVALID_FILE_ATTRIBUTES) << "a log with all well";

    std::vector<std::uint32_t> sites = event_sites();
    for (std::uint32_t site : text_sites()) {
        sites.push_back(site);
    }
    int cases_run = 0;
    for (std::uint32_t site : sites) {
        for (const foreign_case& foreign : foreign_cases(site)) {
            SCOPED_TRACE(foreign.what);
            SCOPED_TRACE(site);
            injector::write_bytes(site, foreign.bytes.data(), 5, true);
            const auto foreign_image = sim::changed_code_bytes();
            sim::clear_calls();
            load();

            EXPECT_EQ(sim::changed_code_bytes(), foreign_image);
            enter_vehicle(0.5f);
            for (sim::event_site event :
                 {sim::event_site::init, sim::event_site::draw, sim::event_site::shutdown}) {
                if (sim::site_address(event) != site || foreign.host_can_run_it) {
                    const std::uint32_t before = sim::callee_calls(event);
                    sim::run_event_site(event);
                    EXPECT_EQ(sim::callee_calls(event),
                              before + (sim::site_address(event) != site));
                }
            }
            if (site != host_address::hud_text_a_call_site || foreign.host_can_run_it) {
                sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
            }
            for (const auto& call : sim::calls()) {
                EXPECT_NE(call.fn, sim::host_fn::load_txd) << "a handler ran";
                EXPECT_NE(call.fn, sim::host_fn::render_2d) << "a handler ran";
                if (call.fn == sim::host_fn::hud_text_a) {
                    EXPECT_EQ(call.float_arg(0), 1500.0f) << "the text moved";
                }
            }
            unload();

            EXPECT_EQ(sim::changed_code_bytes(), foreign_image);
            char address[16];
            std::snprintf(address, sizeof address, "0x%08X", site);
            const std::string log = read_log();
            EXPECT_NE(log.find(address), std::string::npos) << log;
            EXPECT_NE(log.find(hex_bytes(foreign.bytes)), std::string::npos) << log;
            EXPECT_NE(log.find("entry point key 0x"), std::string::npos) << log;
            sim::restore_code();
            ++cases_run;
        }
    }
    std::printf("foreign code: %d cases, each site holding NOPs, a jump, a call into data or (at "
                "the text sites) a call to another host function\n",
                cases_run);
}

TEST_F(module_test, a_text_site_changed_between_start_up_and_init_is_left_alone_and_logged) {
    const std::vector<std::uint8_t> nops = {0x90, 0x90, 0x90, 0x90, 0x90};
    load();
    injector::write_bytes(host_address::hud_text_a_call_site, nops.data(), 5, true);
    sim::run_event_site(sim::event_site::init);
    sim::run_event_site(sim::event_site::init);

    EXPECT_EQ(live_bytes(host_address::hud_text_a_call_site, 5), nops);
    EXPECT_TRUE(reaches_module(host_address::hud_text_b_call_site));
    const std::string log = read_log();
    const auto said = log.find("0x0058AE5D (90 90 90 90 90)");
    EXPECT_NE(said, std::string::npos) << log;
    EXPECT_EQ(log.find("0x0058AE5D", said + 1), std::string::npos) << "said twice: " << log;
    EXPECT_EQ(log.find("0x0058B156"), std::string::npos) << log;
    unload();
    sim::restore_code();
}
