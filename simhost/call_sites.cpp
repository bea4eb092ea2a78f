#include "simhost/call_sites.hpp"

#include "host/addresses.hpp"
#include "simhost/call_log.hpp"
#include "simhost/image_writer.hpp"

#include <array>

namespace sim {
namespace {

constexpr std::uint8_t call = 0xE8;
constexpr std::uint8_t ret = 0xC3;

struct callee_state {
    std::uint32_t result = 0;
    std::uint32_t calls = 0;
};

std::array<callee_state, 3>& callees() {
    static std::array<callee_state, 3> states;
    return states;
}

std::size_t index_of(event_site site) {
    return static_cast<std::size_t>(site);
}

std::uint32_t run_callee(event_site site, host_fn fn) {
    callee_state& callee = callees()[index_of(site)];
    ++callee.calls;
    detail::log_call(fn, {}, callee.result);
    return callee.result;
}

// The host's own functions at the three event sites: no arguments, cdecl.
std::uint32_t init_callee() {
    return run_callee(event_site::init, host_fn::init_callee);
}
std::uint32_t draw_callee() {
    return run_callee(event_site::draw, host_fn::draw_callee);
}
std::uint32_t shutdown_callee() {
    return run_callee(event_site::shutdown, host_fn::shutdown_callee);
}

const void* callee_entry(event_site site) {
    switch (site) {
    case event_site::init:
        return reinterpret_cast<const void*>(&init_callee);
    case event_site::draw:
        return reinterpret_cast<const void*>(&draw_callee);
    case event_site::shutdown:
        break;
    }
    return reinterpret_cast<const void*>(&shutdown_callee);
}

std::uint32_t event_site_address(event_site site) {
    switch (site) {
    case event_site::init:
        return host_address::init_call_site;
    case event_site::draw:
        return host_address::draw_call_site;
    case event_site::shutdown:
        break;
    }
    return host_address::shutdown_call_site;
}

std::uint32_t text_call_site(text_site site) {
    return site == text_site::a ? host_address::hud_text_a_call_site
                                : host_address::hud_text_b_call_site;
}

std::uint32_t text_function(text_site site) {
    return site == text_site::a ? host_address::hud_text_a : host_address::hud_text_b;
}

// Before a text site: three pushes of the caller's arguments (each push moves
// the next one to [esp + 12]), so that the call at the site finds x, y and the
// text on top of the stack as the host's caller left them.
constexpr std::uint32_t text_prologue_size = 12;

void write_event_site(event_site site) {
    const std::uint32_t at = event_site_address(site);
    detail::put_rel32(at, call, callee_entry(site));
    detail::put_bytes(at + 5, {ret});
}

void write_text_site(text_site site) {
    const std::uint32_t at = text_call_site(site);
    detail::put_bytes(at - text_prologue_size,
                      {0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C});
    detail::put_rel32(at, call, reinterpret_cast<const void*>(text_function(site)));
    detail::put_bytes(at + 5, {0x83, 0xC4, 0x0C, ret}); // add esp, 12; ret
}

} // namespace

namespace detail {

void write_call_sites() {
    write_event_site(event_site::init);
    write_event_site(event_site::draw);
    write_event_site(event_site::shutdown);
    write_text_site(text_site::a);
    write_text_site(text_site::b);
}

void reset_callees() {
    callees().fill({});
}

} // namespace detail

std::uint32_t site_address(event_site site) {
    install();
    return event_site_address(site);
}

void set_callee_result(event_site site, std::uint32_t value) {
    install();
    callees()[index_of(site)].result = value;
}

std::uint32_t callee_calls(event_site site) {
    install();
    return callees()[index_of(site)].calls;
}

std::uint32_t callee_address(event_site site) {
    install();
    return detail::word(callee_entry(site));
}

std::uint32_t run_event_site(event_site site) {
    install();
    using site_code = std::uint32_t();
    return reinterpret_cast<site_code*>(event_site_address(site))();
}

std::uint32_t text_site_address(text_site site) {
    install();
    return text_call_site(site);
}

std::uint32_t run_text_site(text_site site, float x, float y, std::uint32_t text) {
    install();
    using site_code = std::uint32_t(float, float, std::uint32_t);
    return reinterpret_cast<site_code*>(text_call_site(site) - text_prologue_size)(x, y, text);
}

} // namespace sim
