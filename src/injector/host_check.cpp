#include "injector/host_check.hpp"

#include "host/addresses.hpp"
#include "injector/code_check.hpp"
#include "injector/host_version.hpp"
#include "files/module_log.hpp"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

using injector::address_t;

constexpr std::uint32_t call_length = 5;
constexpr std::uint8_t relative_call = 0xE8;

// For an event site: any executable code may be its callee.
constexpr address_t any_callee = 0;

address_t host_image() {
    return reinterpret_cast<address_t>(GetModuleHandleA(nullptr));
}

bool in_host_code(address_t site) {
    return injector::image_holding(site) == host_image() &&
           injector::is_executable_code(site, call_length);
}

// Why the site is not what the module expects, or null when it is.
const char* site_fault(address_t site, address_t host_callee) {
    if (!in_host_code(site)) {
        return "lies outside the host's code";
    }
    if (*reinterpret_cast<const std::uint8_t*>(site) != relative_call) {
        return "is no call";
    }
    const address_t destination = injector::relative_call_destination(site);
    if (!injector::is_executable_code(destination)) {
        return "is a call to no executable code";
    }
    // Another plug-in's code is chained; in the host's own code only the
    // site's own function will do.
    if (host_callee != any_callee && destination != host_callee &&
        injector::image_holding(destination) == host_image()) {
        return "is a call to another host function";
    }
    return nullptr;
}

void log_fault(const char* action, address_t site, const char* fault) {
    std::uint8_t bytes[call_length] = {};
    // Bytes outside the host's code may not even be mapped.
    if (in_host_code(site)) {
        std::memcpy(bytes, reinterpret_cast<const void*>(site), call_length);
    }
    const bool known = injector::request_host_version().host_code != 0;
    log_line("%s: the code at 0x%08X (%02X %02X %02X %02X %02X) %s; host build: entry point key "
             "0x%08X, %s",
             action, static_cast<unsigned>(site), bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
             fault, static_cast<unsigned>(injector::detected_entry_point_key()),
             known ? "a known build" : "not a known build");
}

struct expected_site {
    address_t site;
    address_t host_callee;
};

constexpr expected_site expected_sites[] = {
    {host_address::init_call_site, any_callee},
    {host_address::draw_call_site, any_callee},
    {host_address::shutdown_call_site, any_callee},
    {host_address::hud_text_a_call_site, host_address::hud_text_a},
    {host_address::hud_text_b_call_site, host_address::hud_text_b},
};

// Init runs at every new game; the reason a text site is left alone is said
// at the first.
bool said_before(address_t site) {
    static address_t said[2] = {};
    for (address_t& entry : said) {
        if (entry == site) {
            return true;
        }
        if (entry == 0) {
            entry = site;
            return false;
        }
    }
    return true;
}

} // namespace

bool host_code_is_expected() {
    bool all_expected = true;
    for (const expected_site& expected : expected_sites) {
        if (const char* fault = site_fault(expected.site, expected.host_callee)) {
            log_fault("not running", expected.site, fault);
            all_expected = false;
        }
    }
    return all_expected;
}

bool text_site_is_expected(address_t site, address_t text_function) {
    const char* fault = site_fault(site, text_function);
    if (fault != nullptr && !said_before(site)) {
        log_fault("HUD text left in place", site, fault);
    }
    return fault == nullptr;
}
