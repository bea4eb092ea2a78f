#pragma once
// The simulated host: a Windows executable whose image spans the host's fixed
// addresses. It places jumps to its own implementations at the host function
// addresses, real call instructions at the host's call sites, and keeps its
// code pages PAGE_EXECUTE_READ as the host does. Tests and the demo drive it.
#include "host/types.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Host operations, as they appear in the call log.
enum class host_fn : std::uint8_t {
    player_vehicle,
    vector_length,
    hud_text_a,
    hud_text_b,
    load_txd,
    txd_texture,
    release_txd,
    make_color,
    make_rect,
    draw_textured_quad,
    render_2d,
    set_render_state,
    init_callee,     // original callee at the init call site
    draw_callee,     // original callee at the draw call site
    shutdown_callee, // original callee at the shutdown call site
};
const char* name_of(host_fn fn);

// One host call: its arguments as raw 32-bit stack words (ECX first for
// thiscall), and its 32-bit result (a float result as its bit pattern).
struct call_record {
    host_fn fn;
    std::uint8_t arg_count;
    std::array<std::uint32_t, 14> args;
    std::uint32_t result;

    float float_arg(int i) const;
    std::string text_arg(int i) const; // an argument that points to a C string
};

// Writes the host image (jumps, call sites, globals) and sets page protections.
// Idempotent; every other function here calls it first.
void install();

// Call log.
const std::vector<call_record>& calls();
void clear_calls();
void set_call_logging(bool enabled); // on by default
std::vector<call_record> calls_of(host_fn fn);
std::size_t count_of(host_fn fn);
// What each logged host_render_2d call was given, in the order of the log:
// the primitive code, the texture selected at the time and a copy of the
// vertex list.
struct render_batch {
    std::int32_t primitive;
    std::uint32_t texture;
    std::vector<screen_vertex> vertices;
};
std::vector<render_batch> render_batches();
std::vector<screen_vertex> last_vertices(); // of the latest logged render call
// Sees every host_render_2d call as it is made, uncopied and whether the log
// is on or off, for long runs that check what the module draws. Null: none.
using render_observer = void (*)(std::int32_t primitive, const screen_vertex* vertices,
                                 std::int32_t count);
void set_render_observer(render_observer observer);

// Host state.
// Also resizes the frame (and clears it to black): negative sides give an
// empty frame, sides above 16384 are capped there; the globals keep the
// values as given.
void set_screen(std::int32_t width, std::int32_t height);
// Only the globals: the frame keeps its size, for runs with drawing off.
void set_screen_globals(std::int32_t width, std::int32_t height);
// The globals at the screen's size, and the frame only a window of that
// screen: width x height pixels whose top left is the screen's (left, top).
// Draws land in it as they land there on the whole screen, and the backdrop
// is painted as the whole screen's is there; frame coordinates (pixel, copy)
// start at the window's corner. For sheets of small pieces of big screens,
// which then never upload or read back the rest. False, and nothing
// changed, when the window does not fit the screen.
bool set_screen_window(std::int32_t screen_width, std::int32_t screen_height, int left, int top,
                       int width, int height);
struct vehicle_state {
    std::int32_t kind = 0;
    float speed[3] = {0, 0, 0};
    std::uint8_t status = 0;
};
void set_vehicle(const vehicle_state& vehicle); // the player is in this vehicle
void clear_vehicle();                           // the player is on foot
void* vehicle_record();                         // null when on foot
void set_hud_text_result(std::uint32_t value);  // what both text functions return
std::uint32_t selected_texture();               // last value of render state 1
void set_render_engine_present(bool present);   // engine pointer null or not
// Puts bare returns in place of the host's drawing functions (colour and
// rectangle makers, quad fill, 2-D render, render state), so that a benchmark
// sees what a frame costs the module alone; false puts the simulator's back.
void set_host_drawing_stubbed(bool stubbed);
// Back to the state after install: log cleared and on, player on foot, text
// result 0, callee results 0 and counts 0, no texture selected, engine present,
// 1920 x 1080 screen, drawing off, black frame. Leaves the code image,
// textures and dictionaries alone.
void reset_state();

// Texture dictionaries: host_load_txd reads files relative to this folder.
void set_asset_root(const std::string& folder);
std::size_t loaded_dictionary_count(); // loaded and not yet released

// Original callees at the three event call sites.
enum class event_site { init, draw, shutdown };
std::uint32_t site_address(event_site site);
void set_callee_result(event_site site, std::uint32_t value);
std::uint32_t callee_calls(event_site site);
std::uint32_t callee_address(event_site site);

// Executes the five bytes at an event call site as the host does: whatever the
// bytes are by then. Returns the 32-bit value the host would receive.
std::uint32_t run_event_site(event_site site);

// Executes a HUD text call site with its three arguments pushed by the host.
enum class text_site { a, b };
std::uint32_t text_site_address(text_site site);
std::uint32_t run_text_site(text_site site, float x, float y, std::uint32_t text);

// The host image's bytes as the simulator wrote them, for comparisons.
std::vector<std::uint8_t> snapshot(std::uint32_t address, std::size_t size);
// Every byte of the code range that differs from the image as installed.
std::vector<std::uint32_t> changed_code_bytes();
// Writes the image as installed back over every changed code byte; the pages
// keep their protection.
void restore_code();

// Shows the simulated host's game window and brings it in front of every
// other window, as a player's game is while played (a toggle key counts only
// then). True once it is in front; needs an X display.
bool bring_host_window_to_front();

// Replaces the entry point in the host image's PE header.
void set_entry_point(std::uint32_t address_of_entry_point);

// The frame: what the host's 2-D pass leaves on the screen (RGBA, row-major,
// screen-sized). With drawing on, render calls go to a real Direct3D 9 device
// (Wine's, so an X display is needed) and the frame is read back from it when
// looked at. With drawing off, the default, render calls are only logged and
// no device or display is needed. Frames with a side beyond 8192 get no
// pixels from the device; 0-sized frames have none.
void set_drawing_enabled(bool enabled);
// Empty while drawing works; otherwise why the device gave no pixels and
// what is missing (also printed to stderr when it happens).
std::string drawing_error();
void clear_frame(std::uint32_t rgba = 0xFF000000);
void paint_backdrop(); // an opaque gradient with a faint checker, for demo frames
// Pixel = R | G << 8 | B << 16 | A << 24; pixels the device drew are opaque.
const std::vector<std::uint32_t>& frame();
std::uint32_t pixel(int x, int y); // 0 outside the frame
// False for an empty frame, or when draws of this frame could not reach the
// device (drawing_error() says why): no picture rather than a wrong one.
bool write_frame_png(const std::string& path);
// Any picture in the frame's pixel layout, for sheets composed from frames.
bool write_png(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& rgba);
// Copies width x height pixels of the frame from (frame_x, frame_y) into a
// picture of that layout, picture_width pixels a row, at (x, y). False, and
// nothing copied, when either rectangle does not fit; false too when draws of
// this frame could not reach the device.
bool copy_frame_region(int frame_x, int frame_y, int width, int height,
                       std::vector<std::uint32_t>& picture, int picture_width, int x, int y);

// How the device samples a texture, in the texture dictionary's terms: filter
// mode 1 nearest or 2 linear, and for a texture with mip levels 3 to 6
// (nearest or linear within a level, and between levels); addressing with u in the low 4 bits and v
// in the high 4 (1 wrap, 2 mirror, 3 clamp, 4 border).
struct texture_sampling {
    std::uint8_t filter_mode = 2;
    std::uint8_t addressing = 0x33;
};

// Registers an in-memory texture of one level and returns its texture record
// (for tests that draw without a dictionary file). Texels are packed like frame pixels,
// rows top first. Throws std::invalid_argument when the size does not match
// or the sampling has no such mode.
host_texture* add_texture(int width, int height, const std::vector<std::uint32_t>& rgba,
                          texture_sampling sampling = {});

} // namespace sim
