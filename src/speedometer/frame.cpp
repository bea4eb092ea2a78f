#include "speedometer/frame.hpp"

#include "host/functions.hpp"
#include "settings/settings.hpp"
#include "speedometer/anchor.hpp"
#include "speedometer/atlas_layout.hpp"
#include "speedometer/atlas_quad.hpp"
#include "speedometer/layout_mode.hpp"
#include "speedometer/needle_rotation.hpp"
#include "speedometer/opacity.hpp"
#include "speedometer/placement.hpp"
#include "speedometer/progress_arc.hpp"
#include "speedometer/readout.hpp"
#include "speedometer/visibility_toggle.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

host_texture* speedometer_texture = nullptr;

namespace {

constexpr float reference_short_side = 1080.0f;
constexpr float atlas_width = atlas_layout::width;
constexpr float atlas_height = atlas_layout::height;

// The fastest speed the dial shows: the single-precision value nearest 1.2.
constexpr float speed_cap = std::bit_cast<float>(0x3F99999Au);
constexpr float degrees_per_speed = 200.0f;
constexpr float rest_angle = 120.0f;
constexpr float arc_start_angle = 110.0f;
constexpr float needle_sprite_turn = 90.0f; // the sprite stands pointing up
constexpr float readout_per_speed = 175.0f;
// 175 / 1.609344: the same speed in miles per hour, 130 at the cap.
constexpr float readout_mph_per_speed = 108.73996f;

// A sprite's place on the screen, in reference pixels from the right and
// bottom edges, and its region of the atlas in atlas pixels.
struct sprite {
    float from_right_left;
    float from_bottom_top;
    float from_right_right;
    float from_bottom_bottom;
    atlas_uv uv;
};

// Every region lies on whole atlas pixels, so these quotients are exact.
constexpr atlas_uv atlas_region(const atlas_layout::pixel_rect& r) {
    return {static_cast<float>(r.left) / atlas_width, static_cast<float>(r.top) / atlas_height,
            static_cast<float>(r.right) / atlas_width, static_cast<float>(r.bottom) / atlas_height};
}

constexpr sprite dial_face{354, 330, 64, 40, atlas_region(atlas_layout::dial_face)};
constexpr sprite needle{217, 330, 201, 214, atlas_region(atlas_layout::needle)};
constexpr sprite hub{247, 223, 171, 147, atlas_region(atlas_layout::hub)};
constexpr sprite status_sprite{238, 214, 180, 156, atlas_region(atlas_layout::status_sprite)};

// The layout mode's frame: around the dial's area, drawn untextured.
constexpr float layout_frame_left = 364.0f;
constexpr float layout_frame_top = 340.0f;
constexpr float layout_frame_right = 54.0f;
constexpr float layout_frame_bottom = 30.0f;
constexpr float layout_frame_width = 4.0f;

// The arc's image: a circle inscribed in this square of the atlas.
constexpr float arc_region_left = atlas_layout::progress_arc.left;
constexpr float arc_region_top = atlas_layout::progress_arc.top;
constexpr float arc_region_size =
    atlas_layout::progress_arc.right - atlas_layout::progress_arc.left;

// The dial's centre and the needle's pivot, from the right and bottom edges.
constexpr float dial_centre_from_right = 209.0f;
constexpr float dial_centre_from_bottom = 185.0f;
constexpr float arc_radius = 145.0f;

constexpr float status_digit_from_right = 223.0f;
constexpr float status_digit_from_bottom = 203.0f;
constexpr float status_digit_width = 28.0f;
constexpr float status_digit_height = 36.0f;
constexpr std::uint8_t highest_status_digit = 9;

constexpr float number_from_right = 217.0f;
constexpr float number_from_bottom = 143.0f;
constexpr float number_digit_width = 63.0f;
constexpr float number_digit_height = std::bit_cast<float>(0x42C9999Au); // 100.8
constexpr float number_advance = 52.0f;

// Float-to-integer truncation that stays defined for every input: values
// beyond the 32-bit range saturate, NaN gives 0.
std::int32_t truncate_to_int32(float value) {
    constexpr float range_end = 2147483648.0f; // 2^31
    if (value >= range_end) {
        return INT32_MAX;
    }
    if (value >= -range_end) {
        return static_cast<std::int32_t>(value);
    }
    return value < 0.0f ? INT32_MIN : 0;
}

template <class T> T read_field(const void* record, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

bool gets_speedometer(std::int32_t vehicle_kind) {
    switch (vehicle_kind) {
    case 3:
    case 4:
    case 5:
    case 6:
    case 10:
        return false;
    default:
        return true;
    }
}

// A length cannot be negative; NaN or a negative value from the host reads
// as standing still, so every angle and readout below stays in range.
float shown_speed(float length) {
    if (!(length >= 0.0f)) {
        return 0.0f;
    }
    return speed_cap < length ? speed_cap : length;
}

// The right and bottom edges everything is placed from (the screen's, or
// the anchor's area's), and the player's size and place for the gauge.
struct screen_edges {
    float right;
    float bottom;
    gauge_placement place;

    float x(float from_right) const {
        return right - scale_to_screen(place.from_right(from_right));
    }
    float y(float from_bottom) const {
        return bottom - scale_to_screen(place.from_bottom(from_bottom));
    }
    float length(float reference) const { return scale_to_screen(place.length(reference)); }
};

void make_sprite_rect(host_rect& rect, const screen_edges& edges, const sprite& s) {
    host_make_rect(rect, edges.x(s.from_right_left), edges.y(s.from_bottom_top),
                   edges.x(s.from_right_right), edges.y(s.from_bottom_bottom));
}

void draw_sprite(host_rect& rect, const host_color& colour, const screen_edges& edges,
                 const sprite& s) {
    make_sprite_rect(rect, edges, s);
    fill_atlas_quad(rect, colour, s.uv);
    render_atlas_quad();
}

void make_white(host_color& colour) {
    make_faded_color(colour, 255, 255, 255, 255);
}

void make_status_colour(host_color& colour, std::uint8_t status) {
    if (status == 0) {
        make_faded_color(colour, 255, 25, 120, 255);
    } else {
        make_faded_color(colour, 0, 255, 255, 255);
    }
}

// Four bars around the gauge, at least a pixel wide whatever the scale, so
// the player sees the mode is on and where the gauge's area ends.
void draw_layout_frame(host_rect& rect, const screen_edges& edges) {
    host_color colour;
    make_faded_color(colour, 255, 200, 0, 255);
    const float left = edges.x(layout_frame_left);
    const float top = edges.y(layout_frame_top);
    const float right = edges.x(layout_frame_right);
    const float bottom = edges.y(layout_frame_bottom);
    const float measured = edges.length(layout_frame_width);
    const float width = measured < 1.0f ? 1.0f : measured;
    const float bars[4][4] = {{left, top, right, top + width},
                              {left, bottom - width, right, bottom},
                              {left, top, left + width, bottom},
                              {right - width, top, right, bottom}};
    constexpr atlas_uv none{0.0f, 0.0f, 0.0f, 0.0f};
    for (const auto& bar : bars) {
        host_make_rect(rect, bar[0], bar[1], bar[2], bar[3]);
        fill_atlas_quad(rect, colour, none);
        render_atlas_quad();
    }
}

} // namespace

float scale_to_screen(float reference_length) {
    const std::int32_t width = host_screen_width();
    const std::int32_t height = host_screen_height();
    const std::int32_t shorter = width > height ? height : width;
    const float scaled = (static_cast<float>(shorter) * reference_length) / reference_short_side;
    return static_cast<float>(truncate_to_int32(scaled));
}

namespace {

// One frame's gauge; false when none was drawn.
bool draw_gauge() {
    if (!speedometer_shown_this_frame()) {
        return false;
    }
    void* vehicle = host_player_vehicle(local_player, true);
    if (vehicle == nullptr) {
        return false;
    }
    if (!gets_speedometer(read_field<std::int32_t>(vehicle, vehicle_field::kind))) {
        return false;
    }
    // Without the atlas there is nothing to draw from.
    if (speedometer_texture == nullptr) {
        return false;
    }
    layout_mode_frame();
    const auto* speed_vector =
        static_cast<const unsigned char*>(vehicle) + vehicle_field::speed_vector;
    const float speed = shown_speed(host_vector_length(speed_vector));
    const float direction = speed * degrees_per_speed + rest_angle;

    host_set_render_state(render_state_texture, speedometer_texture->render_id);
    const std::int32_t screen_width = host_screen_width();
    const std::int32_t screen_height = host_screen_height();
    const screen_edges edges{
        anchored_right_edge(screen_width, screen_height, active_settings.anchor),
        static_cast<float>(screen_height), current_placement()};
    const bool in_mph = active_settings.units == speed_units::mph;
    host_color white;
    host_color status_colour;
    host_rect rect;

    make_white(white);
    draw_sprite(rect, white, edges, dial_face);

    if (speed > 0.0f) {
        draw_progress_arc(atlas_width, atlas_height, arc_region_left, arc_region_top,
                          arc_region_size, arc_region_size, edges.x(dial_centre_from_right),
                          edges.y(dial_centre_from_bottom), edges.length(arc_radius),
                          edges.length(arc_radius), arc_start_angle, direction);
    }

    make_white(white);
    make_sprite_rect(rect, edges, needle);
    const float pivot_x = edges.x(dial_centre_from_right);
    const float pivot_y = edges.y(dial_centre_from_bottom);
    fill_atlas_quad(rect, white, needle.uv);
    rotate_quad(pivot_x, pivot_y, direction + needle_sprite_turn);
    render_atlas_quad();

    make_white(white);
    draw_sprite(rect, white, edges, hub);

    const auto status = read_field<std::uint8_t>(vehicle, vehicle_field::status);
    make_status_colour(status_colour, status);
    draw_sprite(rect, status_colour, edges, status_sprite);
    draw_status_digit(status > highest_status_digit ? highest_status_digit : status,
                      status_colour.red, status_colour.green, status_colour.blue,
                      edges.x(status_digit_from_right), edges.y(status_digit_from_bottom),
                      edges.length(status_digit_width), edges.length(status_digit_height));

    // The speed is within [0, 1.2] here, so the readout is 0 to 210 (130 mph).
    const float readout = speed * (in_mph ? readout_mph_per_speed : readout_per_speed);
    draw_readout_number(static_cast<std::uint32_t>(readout), edges.x(number_from_right),
                        edges.y(number_from_bottom), edges.length(number_digit_width),
                        edges.length(number_digit_height), edges.length(number_advance));

    host_set_render_state(render_state_texture, 0);
    if (in_layout_mode()) {
        draw_layout_frame(rect, edges);
    }
    return true;
}

} // namespace

void draw_speedometer() {
    // A frame that draws no gauge ends the layout mode.
    if (!draw_gauge() && in_layout_mode()) {
        end_layout_mode();
    }
}
