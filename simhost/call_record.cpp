#include "simhost/sim_host.hpp"

#include "simhost/image_layout.hpp"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace sim {

const char* name_of(host_fn fn) {
    switch (fn) {
    case host_fn::player_vehicle:
        return "player_vehicle";
    case host_fn::vector_length:
        return "vector_length";
    case host_fn::hud_text_a:
        return "hud_text_a";
    case host_fn::hud_text_b:
        return "hud_text_b";
    case host_fn::load_txd:
        return "load_txd";
    case host_fn::txd_texture:
        return "txd_texture";
    case host_fn::release_txd:
        return "release_txd";
    case host_fn::make_color:
        return "make_color";
    case host_fn::make_rect:
        return "make_rect";
    case host_fn::draw_textured_quad:
        return "draw_textured_quad";
    case host_fn::render_2d:
        return "render_2d";
    case host_fn::set_render_state:
        return "set_render_state";
    case host_fn::init_callee:
        return "init_callee";
    case host_fn::draw_callee:
        return "draw_callee";
    case host_fn::shutdown_callee:
        return "shutdown_callee";
    }
    return "unknown";
}

namespace {

std::uint32_t checked_arg(const call_record& record, int i) {
    if (i < 0 || i >= record.arg_count) {
        throw std::out_of_range("call record has no argument " + std::to_string(i));
    }
    return record.args[static_cast<std::size_t>(i)];
}

// Texts the host passes are short; a longer run of bytes is not a text.
constexpr std::size_t max_text_length = 4096;

} // namespace

float call_record::float_arg(int i) const {
    return std::bit_cast<float>(checked_arg(*this, i));
}

std::string call_record::text_arg(int i) const {
    const std::uint32_t address = checked_arg(*this, i);
    if (address == 0) {
        return {};
    }
    const char* text = detail::host_pointer<const char>(address);
    return {text, strnlen(text, max_text_length)};
}

} // namespace sim
