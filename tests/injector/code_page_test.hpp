#pragma once
// Fixture for tests that patch the simulated host's scratch code pages: puts
// their bytes back afterwards and checks that no code page was left writable.
#include "code_pages.hpp"
#include "protection_recorder.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <windows.h>

namespace test {

class code_page_test : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::install();
        keeper.emplace(scratch_code, scratch_size);
    }
    void TearDown() override {
        EXPECT_EQ(first_page_not_execute_read(), 0u);
        keeper.reset();
        EXPECT_TRUE(sim::changed_code_bytes().empty());
    }

  private:
    std::optional<code_bytes_keeper> keeper;
};

// (address, size, new protection) of each recorded change.
using protection_request = std::tuple<address_t, std::uint32_t, std::uint32_t>;
inline std::vector<protection_request> requests(const std::vector<protection_change>& changes) {
    std::vector<protection_request> result;
    for (const protection_change& change : changes) {
        result.emplace_back(change.address, change.size, change.protection);
    }
    return result;
}

// The two changes around one protected access to code: there and back.
inline std::vector<protection_request> round_trip(address_t address, std::uint32_t size) {
    return {{address, size, PAGE_EXECUTE_READWRITE}, {address, size, PAGE_EXECUTE_READ}};
}

inline std::vector<protection_request> operator+(std::vector<protection_request> first,
                                                 const std::vector<protection_request>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace test
