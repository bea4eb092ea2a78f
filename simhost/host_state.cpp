#include "simhost/host_state.hpp"

#include "host/addresses.hpp"
#include "host/types.hpp"
#include "simhost/call_log.hpp"
#include "simhost/frame.hpp"
#include "simhost/host_functions.hpp"
#include "simhost/image_writer.hpp"

#include <array>
#include <cstring>

namespace sim {
namespace {

constexpr std::int32_t default_width = 1920;
constexpr std::int32_t default_height = 1080;

struct host_state {
    // Room beyond the fields the module reads, as the host's record has.
    alignas(16) std::array<std::uint8_t, 0x800> vehicle_record{};
    bool in_vehicle = false;
    std::uint32_t text_result = 0;
    std::uint32_t selected_texture = 0;
    // The engine record: the render-state function sits in its ninth slot.
    std::array<std::uint32_t, 16> engine_record{};
};
static_assert(sizeof(host_state::vehicle_record) >= vehicle_field::record_size);

host_state& the_state() {
    static host_state state;
    return state;
}

std::uint32_t address_of(const void* pointer) {
    return detail::word(pointer);
}

void put_engine_pointer(bool present) {
    detail::set_host_global(host_address::render_engine,
                            present ? address_of(the_state().engine_record.data()) : 0);
}

} // namespace

namespace detail {

void* current_vehicle() {
    host_state& state = the_state();
    return state.in_vehicle ? state.vehicle_record.data() : nullptr;
}

std::uint32_t hud_text_result() {
    return the_state().text_result;
}

void select_texture(std::uint32_t render_id) {
    the_state().selected_texture = render_id;
}

std::uint32_t texture_selection() {
    return the_state().selected_texture;
}

void write_host_globals() {
    host_state& state = the_state();
    state.engine_record[engine_render_state_offset / 4] = address_of(render_state_function());
    put_engine_pointer(true);
    set_host_global(host_address::screen_width, static_cast<std::uint32_t>(default_width));
    set_host_global(host_address::screen_height, static_cast<std::uint32_t>(default_height));
    resize_frame(default_width, default_height);
}

void reset_host_state() {
    host_state& state = the_state();
    state.vehicle_record.fill(0);
    state.in_vehicle = false;
    state.text_result = 0;
    state.selected_texture = 0;
    write_host_globals();
}

} // namespace detail

void set_screen(std::int32_t width, std::int32_t height) {
    set_screen_globals(width, height);
    detail::resize_frame(width, height);
}

void set_screen_globals(std::int32_t width, std::int32_t height) {
    install();
    detail::set_host_global(host_address::screen_width, static_cast<std::uint32_t>(width));
    detail::set_host_global(host_address::screen_height, static_cast<std::uint32_t>(height));
}

void set_vehicle(const vehicle_state& vehicle) {
    install();
    host_state& state = the_state();
    auto& record = state.vehicle_record;
    record.fill(0);
    std::memcpy(record.data() + vehicle_field::speed_vector, vehicle.speed, sizeof vehicle.speed);
    record[vehicle_field::status] = vehicle.status;
    std::memcpy(record.data() + vehicle_field::kind, &vehicle.kind, sizeof vehicle.kind);
    state.in_vehicle = true;
}

void clear_vehicle() {
    install();
    the_state().in_vehicle = false;
}

void* vehicle_record() {
    install();
    return detail::current_vehicle();
}

void set_hud_text_result(std::uint32_t value) {
    install();
    the_state().text_result = value;
}

std::uint32_t selected_texture() {
    install();
    return the_state().selected_texture;
}

void set_render_engine_present(bool present) {
    install();
    put_engine_pointer(present);
}

} // namespace sim
