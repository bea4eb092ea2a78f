#include "injector/hookable_call.hpp"

#include <cstdint>

namespace injector {

namespace {
constexpr std::uint8_t relative_call = 0xE8;
}

bool is_hookable_call(address_t site) {
    return read_u8(site) == relative_call && branch_destination(site) != 0;
}

} // namespace injector
