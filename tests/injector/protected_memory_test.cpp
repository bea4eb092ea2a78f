#include "code_page_test.hpp"
#include "injector/protected_memory.hpp"
#include "injector/unprotect_guard.hpp"

#include <array>

using namespace test;
using injector::branch_destination;
using injector::read_u32;
using injector::read_u8;
using injector::write_bytes;
using injector::write_call;
using bytes = std::vector<std::uint8_t>;

namespace {

using protected_access = code_page_test;

// A writable stand-in for code whose protection change is made to fail.
std::array<std::uint8_t, 8> data_bytes;

TEST_F(protected_access, reads_under_a_protection_change_of_exactly_the_bytes_read) {
    poke(site, {0x11, 0x22, 0x33, 0x44, 0x55});
    poke(page_straddling_site, {0xA1, 0xB2, 0xC3, 0xD4});
    protection_recorder recorder;

    EXPECT_EQ(read_u8(site + 1), 0x22);
    EXPECT_EQ(read_u32(site), 0x44332211u);
    EXPECT_EQ(read_u32(page_straddling_site), 0xD4C3B2A1u);

    EXPECT_EQ(requests(recorder.changes()),
              round_trip(site + 1, 1) + round_trip(site, 4) + round_trip(page_straddling_site, 4));
    // Setting the protection back hands over a variable that already holds it.
    for (const protection_change& change : recorder.changes()) {
        if (change.protection == PAGE_EXECUTE_READ) {
            EXPECT_EQ(change.previous_on_entry, PAGE_EXECUTE_READ);
        }
    }
    EXPECT_EQ(protection_at(page_straddling_site + 2), PAGE_EXECUTE_READ);
}

TEST_F(protected_access, a_failed_change_still_reads_and_is_not_undone) {
    poke(site, {0x5A, 0x01, 0x02, 0x03});
    protection_recorder recorder(protection_recorder::outcome::fail);

    EXPECT_EQ(read_u8(site), 0x5A);
    EXPECT_EQ(read_u32(site), 0x0302015Au);
    EXPECT_EQ(requests(recorder.changes()),
              (std::vector<protection_request>{{site, 1, PAGE_EXECUTE_READWRITE},
                                               {site, 4, PAGE_EXECUTE_READWRITE}}));
}

TEST_F(protected_access, write_bytes_changes_exactly_the_bytes_written) {
    poke(page_straddling_site - 1, bytes(6, 0x90));
    const std::uint8_t source[] = {1, 2, 3, 4};
    protection_recorder recorder;

    write_bytes(page_straddling_site, source, 4, true);

    EXPECT_EQ(peek(page_straddling_site - 1, 6), (bytes{0x90, 1, 2, 3, 4, 0x90}));
    EXPECT_EQ(requests(recorder.changes()), round_trip(page_straddling_site, 4));
    EXPECT_EQ(protection_at(page_straddling_site), PAGE_EXECUTE_READ);
    EXPECT_EQ(protection_at(page_straddling_site + 2), PAGE_EXECUTE_READ);
}

TEST_F(protected_access, write_bytes_without_unprotect_or_without_bytes_changes_no_protection) {
    data_bytes.fill(0);
    const std::uint8_t source[] = {7, 8, 9};
    const std::uint32_t changes_before = injector::protection_change_count();

    write_bytes(address_of(data_bytes), source, 3, false);
    write_bytes(site, source, 0, true);

    EXPECT_EQ(injector::protection_change_count(), changes_before);
    EXPECT_EQ(data_bytes, (std::array<std::uint8_t, 8>{7, 8, 9, 0, 0, 0, 0, 0}));
}

TEST_F(protected_access, a_failed_change_still_writes_and_is_not_undone) {
    data_bytes.fill(0);
    const std::uint8_t source[] = {0xC3, 0xCC};
    protection_recorder recorder(protection_recorder::outcome::fail);

    write_bytes(address_of(data_bytes) + 1, source, 2, true);

    EXPECT_EQ(data_bytes, (std::array<std::uint8_t, 8>{0, 0xC3, 0xCC, 0, 0, 0, 0, 0}));
    EXPECT_EQ(recorder.changes().size(), 1u);
}

using branch_decoding = code_page_test;

// Little-endian bytes of a 32-bit value.
bytes le(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

bytes instruction(std::initializer_list<std::uint8_t> opcode, std::uint32_t operand) {
    bytes result(opcode);
    const bytes tail = le(operand);
    result.insert(result.end(), tail.begin(), tail.end());
    return result;
}

address_t destination_of(const bytes& code) {
    poke(site, code);
    return branch_destination(site);
}

std::uint32_t indirect_target = 0x0066AA33;

TEST_F(branch_decoding, relative_call_and_jump_lead_relative_to_the_next_instruction) {
    EXPECT_EQ(destination_of({0xE8, 0xFB, 0xFF, 0xFF, 0xFF}), site);
    EXPECT_EQ(destination_of({0xE9, 0x00, 0x00, 0x00, 0x00}), site + 5);
    EXPECT_EQ(destination_of(instruction({0xE8}, 0x10)), site + 0x15);
    EXPECT_EQ(destination_of(instruction({0xE9}, 0xFFFFF000)), site + 5 - 0x1000);
    // Displacements wrap around the 32-bit address space.
    EXPECT_EQ(destination_of(instruction({0xE8}, 0u - site)), 5u);
    EXPECT_EQ(destination_of(instruction({0xE9}, 0xFFFFFFFFu - (site + 5))), 0xFFFFFFFFu);
}

TEST_F(branch_decoding, absolute_indirect_call_and_jump_lead_to_the_stored_address) {
    const address_t pointer = address_of(indirect_target);
    EXPECT_EQ(destination_of(instruction({0xFF, 0x15}, pointer)), 0x0066AA33u);
    EXPECT_EQ(destination_of(instruction({0xFF, 0x25}, pointer)), 0x0066AA33u);
}

TEST_F(branch_decoding, the_indirect_pointer_itself_is_read_without_protection_change) {
    poke(site, instruction({0xFF, 0x25}, address_of(indirect_target)));
    protection_recorder recorder;

    branch_destination(site);

    EXPECT_EQ(requests(recorder.changes()),
              round_trip(site, 1) + round_trip(site + 1, 1) + round_trip(site + 2, 4));
}

TEST_F(branch_decoding, other_instructions_lead_nowhere) {
    const address_t pointer = address_of(indirect_target);
    EXPECT_EQ(destination_of(instruction({0xFF, 0x35}, pointer)), 0u); // push [p]
    EXPECT_EQ(destination_of(instruction({0xFF, 0xD0}, pointer)), 0u); // call eax
    EXPECT_EQ(destination_of({0xEB, 0x05, 0, 0, 0}), 0u);              // short jump
    EXPECT_EQ(destination_of({0x0F, 0x85, 0x10, 0, 0, 0}), 0u);        // near jne
    EXPECT_EQ(destination_of({0x90, 0xE8, 0, 0, 0, 0}), 0u);
}

using call_writing = code_page_test;

TEST_F(call_writing, a_call_to_the_next_instruction_has_displacement_zero) {
    poke(site, bytes(8, 0x90));
    EXPECT_EQ(write_call(site, site + 5), 0u);
    EXPECT_EQ(peek(site, 8), (bytes{0xE8, 0, 0, 0, 0, 0x90, 0x90, 0x90}));
}

TEST_F(call_writing, a_call_backwards_has_a_negative_displacement_and_keeps_what_follows) {
    poke(site, {0xE9, 1, 2, 3, 4, 0xAB, 0xCD});
    write_call(site, site + 5 - 0x1000);
    EXPECT_EQ(peek(site, 7), (bytes{0xE8, 0x00, 0xF0, 0xFF, 0xFF, 0xAB, 0xCD}));
}

TEST_F(call_writing, returns_the_destination_from_before_the_write) {
    poke(site, instruction({0xFF, 0x15}, address_of(indirect_target)));
    EXPECT_EQ(write_call(site, 0x00501234), 0x0066AA33u);
    EXPECT_EQ(write_call(site, 0x00607788), 0x00501234u);
    EXPECT_EQ(branch_destination(site), 0x00607788u);
}

TEST_F(call_writing, any_target_in_the_address_space_is_reached) {
    for (const address_t target : {0u, 1u, site, site + 5, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        write_call(site, target);
        EXPECT_EQ(branch_destination(site), target) << std::hex << target;
    }
}

TEST_F(call_writing, opcode_and_displacement_are_written_under_separate_changes) {
    poke(page_straddling_site, bytes(5, 0xCC));
    protection_recorder recorder;

    write_call(page_straddling_site, 0x00401000);

    EXPECT_EQ(requests(recorder.changes()), round_trip(page_straddling_site, 1) +
                                                round_trip(page_straddling_site, 1) +
                                                round_trip(page_straddling_site + 1, 4));
    EXPECT_EQ(branch_destination(page_straddling_site), 0x00401000u);
}

TEST_F(call_writing, is_written_even_when_the_protection_change_fails) {
    data_bytes.fill(0x90);
    const address_t where = address_of(data_bytes);
    protection_recorder recorder(protection_recorder::outcome::fail);

    EXPECT_EQ(write_call(where, where + 5 + 0x20), 0u);

    EXPECT_EQ(data_bytes, (std::array<std::uint8_t, 8>{0xE8, 0x20, 0, 0, 0, 0x90, 0x90, 0x90}));
    // One attempt for the opcode read, one per write, and nothing undone.
    EXPECT_EQ(requests(recorder.changes()),
              (std::vector<protection_request>{{where, 1, PAGE_EXECUTE_READWRITE},
                                               {where, 1, PAGE_EXECUTE_READWRITE},
                                               {where + 1, 4, PAGE_EXECUTE_READWRITE}}));
}

} // namespace
