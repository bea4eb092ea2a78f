#include "host/addresses.hpp"
#include "simhost/call_log.hpp"
#include "simhost/call_sites.hpp"
#include "simhost/frame.hpp"
#include "simhost/host_functions.hpp"
#include "simhost/host_state.hpp"
#include "simhost/image_layout.hpp"
#include "simhost/image_writer.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

namespace sim {
namespace {

// Constant-initialised, so it holds before any constructor runs.
bool installed = false;

// What unwritten host code holds: a stray jump into it stops at once.
constexpr std::uint8_t breakpoint = 0xCC;
// Not a jump: the build without the variant mark.
constexpr std::uint8_t probe_byte = 0x90;

} // namespace

void install() {
    if (installed) {
        return;
    }
    installed = true;
    if (detail::word(sim_host_image) != detail::code_begin) {
        detail::fatal(
            "the host image section is not at 0x401000; link with the host image options");
    }
    detail::make_image_writable();
    detail::fill_code(breakpoint);
    detail::write_host_function_jumps();
    detail::write_call_sites();
    detail::put_bytes(host_address::variant_probe_byte, {probe_byte});
    detail::write_host_globals();
    detail::apply_host_protections();
    FlushInstructionCache(GetCurrentProcess(), detail::host_pointer<void>(detail::code_begin),
                          detail::code_end - detail::code_begin);
    detail::record_installed_image();
}

void reset_state() {
    install();
    detail::reset_call_log();
    detail::reset_callees();
    detail::reset_host_state();
    detail::reset_frame_settings();
}

namespace {

// The host's image is in place before any other static initialiser runs, as
// in the real host, where it is there before any plug-in is loaded.
struct install_at_startup {
    install_at_startup() { install(); }
};
__attribute__((init_priority(101))) install_at_startup startup_install;

} // namespace

} // namespace sim
