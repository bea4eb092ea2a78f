// The host's drawing functions reduced to bare returns, for measuring what a
// frame costs the module alone: the simulator's own implementations fill
// records, copy vertices and check the call log, which a real host's drawing
// would do in its own time anyway.
#include "host/addresses.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

// thiscall with four stack arguments (the colour and rectangle makers): the
// object back in EAX, the arguments removed.
extern "C" [[gnu::naked]] void return_object_dropping_four_arguments() {
    asm("movl %ecx, %eax\n\tret $16");
}

// cdecl: the caller removes the arguments; 0 in EAX.
extern "C" [[gnu::naked]] void return_zero() {
    asm("xorl %eax, %eax\n\tret");
}

std::uint32_t& render_state_slot() {
    constexpr std::uint32_t render_state_offset = 0x20;
    const auto engine = *reinterpret_cast<const std::uint32_t*>(host_address::render_engine);
    return *reinterpret_cast<std::uint32_t*>(engine + render_state_offset);
}

constexpr std::uint32_t jump_length = 5;

void write_code(std::uint32_t address, const std::uint8_t* code) {
    DWORD previous = 0;
    VirtualProtect(reinterpret_cast<void*>(address), jump_length, PAGE_EXECUTE_READWRITE,
                   &previous);
    std::memcpy(reinterpret_cast<void*>(address), code, jump_length);
    VirtualProtect(reinterpret_cast<void*>(address), jump_length, previous, &previous);
}

// Each drawing function's entry and the stub that stands in for it; the
// simulator's own jump is kept while the stub is in.
struct stubbed_function {
    std::uint32_t address;
    const void* stub;
    std::uint8_t real_jump[jump_length];
};

stubbed_function drawing_functions[] = {
    {host_address::make_color,
     reinterpret_cast<const void*>(&return_object_dropping_four_arguments),
     {}},
    {host_address::make_rect,
     reinterpret_cast<const void*>(&return_object_dropping_four_arguments),
     {}},
    {host_address::draw_textured_quad, reinterpret_cast<const void*>(&return_zero), {}},
    {host_address::render_2d, reinterpret_cast<const void*>(&return_zero), {}},
};

bool stubs_in = false;
std::uint32_t real_render_state = 0;

} // namespace

namespace sim {

void set_host_drawing_stubbed(bool stubbed) {
    install();
    if (stubbed == stubs_in) {
        return;
    }
    stubs_in = stubbed;
    for (stubbed_function& function : drawing_functions) {
        if (stubbed) {
            std::memcpy(function.real_jump, reinterpret_cast<const void*>(function.address),
                        jump_length);
            std::uint8_t jump[jump_length] = {0xE9};
            const std::uint32_t displacement =
                reinterpret_cast<std::uint32_t>(function.stub) - (function.address + jump_length);
            std::memcpy(&jump[1], &displacement, sizeof displacement);
            write_code(function.address, jump);
        } else {
            write_code(function.address, function.real_jump);
        }
    }
    if (stubbed) {
        real_render_state = render_state_slot();
        render_state_slot() = reinterpret_cast<std::uint32_t>(&return_zero);
    } else {
        render_state_slot() = real_render_state;
    }
}

} // namespace sim
