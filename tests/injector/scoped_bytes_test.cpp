#include "code_page_test.hpp"
#include "injector/scoped_bytes.hpp"
#include "injector/unprotect_guard.hpp"

#include <array>

using namespace test;
using bytes = std::vector<std::uint8_t>;
using backup = injector::scoped_basic<5>;

namespace {

using scoped_bytes = code_page_test;

constexpr address_t other_site = site + 0x40;
const bytes host_call = {0xE8, 0x10, 0x20, 0x30, 0x00};
const bytes module_call = {0xE8, 0xAA, 0xBB, 0xCC, 0xDD};
const bytes other_bytes = {0x55, 0x8B, 0xEC, 0x83, 0xEC};

bytes saved_of(const backup& held) {
    return {held.saved(), held.saved() + held.backup_size()};
}

TEST_F(scoped_bytes, a_new_backup_holds_nothing) {
    const backup fresh;
    EXPECT_FALSE(fresh.holds_backup());
    EXPECT_EQ(fresh.backup_address(), 0u);
}

TEST_F(scoped_bytes, save_copies_the_bytes_under_a_protection_change) {
    poke(page_straddling_site, host_call);
    backup held;
    protection_recorder recorder;

    held.save_bytes(page_straddling_site, 5, true);

    EXPECT_TRUE(held.holds_backup());
    EXPECT_EQ(held.backup_address(), page_straddling_site);
    EXPECT_TRUE(held.unprotects());
    EXPECT_EQ(saved_of(held), host_call);
    EXPECT_EQ(requests(recorder.changes()), round_trip(page_straddling_site, 5));
}

TEST_F(scoped_bytes, restore_writes_the_bytes_back_once) {
    poke(site, host_call);
    backup held;
    held.save_bytes(site, 5, true);
    poke(site, module_call);
    protection_recorder recorder;

    held.restore_bytes();
    EXPECT_EQ(peek(site, 5), host_call);
    EXPECT_FALSE(held.holds_backup());
    EXPECT_EQ(requests(recorder.changes()), round_trip(site, 5));

    poke(site, module_call);
    held.restore_bytes();
    EXPECT_EQ(peek(site, 5), module_call);
    EXPECT_EQ(recorder.changes().size(), 2u);
}

TEST_F(scoped_bytes, destruction_writes_back_only_a_backup_still_held) {
    poke(site, host_call);
    {
        backup held;
        held.save_bytes(site, 5, true);
        poke(site, module_call);
    }
    EXPECT_EQ(peek(site, 5), host_call);

    {
        backup held;
        held.save_bytes(site, 5, true);
        held.restore_bytes();
        poke(site, module_call);
    }
    EXPECT_EQ(peek(site, 5), module_call);
}

TEST_F(scoped_bytes, a_new_save_writes_the_held_backup_back_first) {
    poke(site, host_call);
    poke(other_site, other_bytes);
    backup held;
    held.save_bytes(site, 5, true);
    poke(site, module_call);

    held.save_bytes(other_site, 5, true);

    EXPECT_EQ(peek(site, 5), host_call);
    EXPECT_EQ(held.backup_address(), other_site);
    EXPECT_EQ(saved_of(held), other_bytes);
}

TEST_F(scoped_bytes, saving_the_same_bytes_again_keeps_the_bytes_from_before_the_first_save) {
    poke(site, host_call);
    backup held;
    held.save_bytes(site, 5, true);
    poke(site, module_call);

    held.save_bytes(site, 5, true);

    EXPECT_EQ(peek(site, 5), host_call);
    EXPECT_EQ(saved_of(held), host_call);
}

class counting_backup : public backup {
  public:
    int restores = 0;
    void restore_bytes() override {
        ++restores;
        backup::restore_bytes();
    }
};

TEST_F(scoped_bytes, save_reaches_a_derived_restore_through_the_virtual_slot) {
    poke(site, host_call);
    counting_backup held;
    backup& as_base = held;

    as_base.save_bytes(site, 5, true);
    poke(site, module_call);
    as_base.save_bytes(site, 5, true);

    EXPECT_EQ(held.restores, 2);
    EXPECT_EQ(peek(site, 5), host_call);
}

TEST_F(scoped_bytes, an_empty_backup_changes_no_protection_and_writes_nothing_back) {
    poke(site, host_call);
    const std::uint32_t changes_before = injector::protection_change_count();
    backup held;

    held.save_bytes(site, 0, true);
    EXPECT_TRUE(held.holds_backup());
    EXPECT_EQ(held.backup_size(), 0u);

    poke(site, module_call);
    held.restore_bytes();
    EXPECT_FALSE(held.holds_backup());
    EXPECT_EQ(peek(site, 5), module_call);
    EXPECT_EQ(injector::protection_change_count(), changes_before);
}

TEST_F(scoped_bytes, without_unprotect_neither_save_nor_write_back_changes_protection) {
    std::array<std::uint8_t, 5> data = {1, 2, 3, 4, 5};
    const std::uint32_t changes_before = injector::protection_change_count();
    {
        backup held;
        held.save_bytes(address_of(data), 5, false);
        EXPECT_FALSE(held.unprotects());
        data.fill(0);
    }
    EXPECT_EQ(data, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(injector::protection_change_count(), changes_before);
}

} // namespace
