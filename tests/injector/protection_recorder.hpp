#pragma once
// Watches the module's page protection changes for the lifetime of the object:
// records each one and passes it on to VirtualProtect, or makes it fail.
#include "injector/protected_memory.hpp"

#include <cstdint>
#include <vector>

namespace test {

struct protection_change {
    injector::address_t address;
    std::uint32_t size;
    std::uint32_t protection;
    std::uint32_t previous_on_entry; // what the old-protection variable held
    bool operator==(const protection_change&) const = default;
};

class protection_recorder {
  public:
    enum class outcome { pass_on, fail };
    explicit protection_recorder(outcome result = outcome::pass_on);
    ~protection_recorder();
    protection_recorder(const protection_recorder&) = delete;
    protection_recorder& operator=(const protection_recorder&) = delete;

    const std::vector<protection_change>& changes() const;
};

} // namespace test
