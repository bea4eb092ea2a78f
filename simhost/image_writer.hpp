#pragma once
// Writing the simulated host's image: its bytes while it is being installed,
// the page protections the host runs with, and the record of the image as
// installed that later comparisons use.
#include <cstdint>
#include <initializer_list>
#include <span>

namespace sim::detail {

// Install time only: the whole image becomes writable, and later gets the
// host's own protections back.
void make_image_writable();
void apply_host_protections();

void fill_code(std::uint8_t value);
void put_bytes(std::uint32_t address, std::initializer_list<std::uint8_t> bytes);
// Writes opcode (E8 call or E9 jump) and the displacement that reaches target.
void put_rel32(std::uint32_t address, std::uint8_t opcode, const void* target);

// Captures the image (code and globals) as it stands; done once, at the end
// of install.
void record_installed_image();
bool image_recorded();
std::span<const std::uint8_t> installed_image(); // from code_begin to image_end

// Writes a 32-bit host global, both in the live image and in the record, so
// that the record always shows what the simulator itself wrote.
void set_host_global(std::uint32_t address, std::uint32_t value);

} // namespace sim::detail
