#pragma once
// Bare calls into host code, for checking calling conventions and page
// protections from outside the compiler's reach.
#include <cstdint>
#include <initializer_list>
#include <vector>

struct raw_call {
    std::uint32_t address;
    std::uint32_t ecx;
    const std::uint32_t* words;
    std::uint32_t word_count;
    std::uint32_t float_result; // non-zero: pop ST0 into st0_bits
    std::uint32_t eax;
    std::uint32_t st0_bits;
    std::int32_t bytes_removed; // stack bytes the callee took off
};

extern "C" void raw_host_call(raw_call* call);
extern "C" int write_byte_probe(unsigned char* address, unsigned char value);
extern "C" char write_byte_probe_store[];
extern "C" char write_byte_probe_resume[];

// Calls address with ECX = ecx and the words pushed right to left.
inline raw_call call_host(std::uint32_t address, std::uint32_t ecx,
                          std::initializer_list<std::uint32_t> words, bool float_result = false) {
    const std::vector<std::uint32_t> stack(words);
    raw_call call{address,
                  ecx,
                  stack.data(),
                  static_cast<std::uint32_t>(stack.size()),
                  float_result ? 1u : 0u,
                  0,
                  0,
                  0};
    raw_host_call(&call);
    return call;
}

// True when a one-byte store to address faults.
bool store_faults(std::uint32_t address);
