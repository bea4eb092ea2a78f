// A call patch takes a site only with a stub to lead through: a call straight
// into the module would outlive it under another plug-in's patch.
#include "code_page_test.hpp"
#include "files/module_log.hpp"
#include "injector/call_stubs.hpp"
#include "injector/scoped_call.hpp"
#include "support/module_files_text.hpp"

#include <cstdio>

using namespace test;
using bytes = std::vector<std::uint8_t>;

namespace {

using scoped_call_test = code_page_test;

const bytes host_call = {0xE8, 0x10, 0x20, 0x30, 0x00};

} // namespace

TEST_F(scoped_call_test, with_no_stub_to_be_had_the_site_is_left_alone_and_the_log_says_so) {
    DeleteFileW(beside_module(L".log").c_str());
    restart_log_for_testing();
    poke(site, host_call);
    // Every slot of the page taken.
    std::vector<address_t> stubs;
    for (address_t stub; (stub = injector::acquire_call_stub(site)) != 0;) {
        stubs.push_back(stub);
    }
    ASSERT_FALSE(stubs.empty());
    const struct {
        bool slot_free;
        bool taken;
    } cases[] = {{false, false}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot_free ? "one slot free" : "no slot free");
        if (c.slot_free) {
            injector::release_call_stub(stubs.back());
            stubs.pop_back();
        }
        {
            injector::scoped_call call;
            const address_t earlier = call.replace_call(site, scratch_code);
            EXPECT_EQ(call.call_in_place(), c.taken);
            EXPECT_EQ(peek(site, 5) == host_call, !c.taken);
            EXPECT_EQ(earlier, c.taken ? site + 5 + 0x302010 : 0u);
        }
        EXPECT_EQ(peek(site, 5), host_call);
    }
    for (address_t stub : stubs) {
        injector::release_call_stub(stub);
    }
    char line[96];
    std::snprintf(line, sizeof line,
                  "no memory for a call stub: the call at 0x%08X is left as it is\r\n",
                  static_cast<unsigned>(site));
    EXPECT_EQ(log_text(), line);
    DeleteFileW(beside_module(L".log").c_str());
}

TEST_F(scoped_call_test, its_call_is_in_place_only_while_it_stands_at_the_site) {
    // Another plug-in held the site when it was taken; the host's own call
    // leads to the host's callee.
    const bytes first_call = {0xE8, 0x00, 0x10, 0x00, 0x00};
    const address_t host_callee = site + 5 + 0x302010;
    const struct {
        const char* what;
        const bytes* written_over; // after the patch, by someone else
        bool retaken_with_no_stub;
        bool in_place;
        bool given_back;
    } cases[] = {
        {"its own call", nullptr, false, true, false},
        {"the host's call written back", &host_call, false, false, true},
        {"the call it found written back", &first_call, false, false, true},
        {"a retake with no stub to be had", &host_call, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        poke(site, first_call);
        injector::scoped_call call;
        call.replace_call(site, scratch_code, host_callee);
        if (c.written_over != nullptr) {
            poke(site, *c.written_over);
        }
        std::vector<address_t> stubs;
        if (c.retaken_with_no_stub) {
            for (address_t stub; (stub = injector::acquire_call_stub(site)) != 0;) {
                stubs.push_back(stub);
            }
            EXPECT_EQ(call.replace_call(site, scratch_code, host_callee), 0u);
        }
        EXPECT_EQ(call.call_in_place(), c.in_place);
        EXPECT_EQ(call.site_given_back(), c.given_back);
        for (address_t stub : stubs) {
            injector::release_call_stub(stub);
        }
    }
    DeleteFileW(beside_module(L".log").c_str());
}
