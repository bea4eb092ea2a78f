#include "protection_recorder.hpp"

#include "injector/unprotect_guard.hpp"

namespace test {

namespace {

std::vector<protection_change> recorded;
protection_recorder::outcome recorded_outcome = protection_recorder::outcome::pass_on;

bool record_change(injector::address_t address, std::uint32_t size, std::uint32_t protection,
                   std::uint32_t* previous) {
    recorded.push_back({address, size, protection, *previous});
    if (recorded_outcome == protection_recorder::outcome::fail) {
        return false;
    }
    return injector::virtual_protect(address, size, protection, previous);
}

} // namespace

protection_recorder::protection_recorder(outcome result) {
    recorded.clear();
    recorded_outcome = result;
    injector::protect_pages = &record_change;
}

protection_recorder::~protection_recorder() {
    injector::protect_pages = &injector::virtual_protect;
}

const std::vector<protection_change>& protection_recorder::changes() const {
    return recorded;
}

} // namespace test
