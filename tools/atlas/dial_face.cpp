#include "atlas_layout.hpp"
#include "dial_scale.hpp"
#include "label_font.hpp"
#include "speed_band.hpp"
#include "sprites.hpp"

#include <cmath>
#include <numbers>
#include <string>

namespace atlas {

namespace {

constexpr double label_size = 19.0;
// The unlit track shows the colour scale faintly; the progress band lights it.
constexpr band_style track_style{0.22, false, 0.0};

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// The ink of ticks and labels: white on the dark face, near black on the
// light one.
double ink_level(const dial_scale& scale) {
    return scale.light_face ? 0.08 : 1.0;
}

// The dark face is a neutral grey ramp: a block-compressed texel has one
// palette index for all three channels, so a tinted ramp, whose channels step
// at different radii on the 5:6:5 end points, shows as faint coloured rings;
// grey keeps red and blue on the same steps and green on steps half their
// size. The greys are a shade lighter than the tint they replace, whose blue
// was lighter still, so the white scale's edges are no harsher against the
// face than they were.
void draw_face(cairo_t* cr, const dial_scale& scale) {
    cairo_pattern_t* face = cairo_pattern_create_radial(0, -30, 10, 0, 0, bezel_inner_radius);
    if (scale.light_face) {
        cairo_pattern_add_color_stop_rgba(face, 0.0, 0.97, 0.96, 0.92, 0.95);
        cairo_pattern_add_color_stop_rgba(face, 0.75, 0.90, 0.89, 0.85, 0.95);
        cairo_pattern_add_color_stop_rgba(face, 1.0, 0.78, 0.77, 0.74, 0.96);
    } else {
        cairo_pattern_add_color_stop_rgba(face, 0.0, 0.18, 0.18, 0.18, 0.90);
        cairo_pattern_add_color_stop_rgba(face, 0.75, 0.085, 0.085, 0.085, 0.90);
        cairo_pattern_add_color_stop_rgba(face, 1.0, 0.025, 0.025, 0.025, 0.94);
    }
    cairo_arc(cr, 0, 0, bezel_inner_radius + 0.5, 0, 2 * std::numbers::pi);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
}

void draw_bezel(cairo_t* cr) {
    const double middle = (bezel_outer_radius + bezel_inner_radius) / 2;
    cairo_pattern_t* metal = cairo_pattern_create_linear(-100, -100, 100, 100);
    cairo_pattern_add_color_stop_rgba(metal, 0.0, 0.86, 0.88, 0.92, 1);
    cairo_pattern_add_color_stop_rgba(metal, 0.5, 0.38, 0.40, 0.44, 1);
    cairo_pattern_add_color_stop_rgba(metal, 1.0, 0.16, 0.17, 0.19, 1);
    cairo_arc(cr, 0, 0, middle, 0, 2 * std::numbers::pi);
    cairo_set_line_width(cr, bezel_outer_radius - bezel_inner_radius);
    cairo_set_source(cr, metal);
    cairo_stroke(cr);
    cairo_pattern_destroy(metal);

    // Dark seams on both sides keep the ring crisp against any background.
    cairo_set_line_width(cr, 1.2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.75);
    cairo_arc(cr, 0, 0, bezel_inner_radius, 0, 2 * std::numbers::pi);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, bezel_outer_radius - 0.6, 0, 2 * std::numbers::pi);
    cairo_stroke(cr);
}

void draw_ticks(cairo_t* cr, const dial_scale& scale) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int speed = 0; speed <= scale.top_speed; speed += scale.minor_step / 2) {
        const bool major = speed % scale.major_step == 0;
        const bool minor = speed % scale.minor_step == 0;
        const double inner = major   ? major_tick_inner_radius
                             : minor ? minor_tick_inner_radius
                                     : minor_tick_inner_radius + 4;
        const double a = radians(scale_angle(speed, scale.top_speed));
        cairo_set_line_width(cr, major ? 3.6 : minor ? 2.2 : 1.4);
        const double ink = ink_level(scale);
        cairo_set_source_rgba(cr, ink, ink, ink, major ? 1.0 : minor ? 0.85 : 0.55);
        cairo_move_to(cr, inner * std::cos(a), inner * std::sin(a));
        cairo_line_to(cr, tick_outer_radius * std::cos(a), tick_outer_radius * std::sin(a));
        cairo_stroke(cr);
    }
}

void draw_labels(cairo_t* cr, const dial_scale& scale) {
    select_label_font(cr, label_size);
    const double ink = ink_level(scale);
    cairo_set_source_rgba(cr, ink, ink, ink, 1);
    for (const dial_label& label : dial_labels(scale)) {
        const std::string text = std::to_string(label.speed);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text.c_str(), &extents);
        const double x = label.x;
        const double y = label.y;
        // Centre the ink, not the advance box, on the label's point.
        cairo_move_to(cr, x - extents.x_bearing - extents.width / 2,
                      y - extents.y_bearing - extents.height / 2);
        cairo_show_text(cr, text.c_str());
    }
    // Showing text leaves a current point, which the next arc would join.
    cairo_new_path(cr);
}

// The whole face, scale included, centred in the region.
void draw_face_in(canvas& target, const region& r, const dial_scale& scale) {
    cairo_t* cr = target.context();
    cairo_save(cr);
    cairo_translate(cr, r.centre_x(), r.centre_y());
    draw_face(cr, scale);
    cairo_restore(cr);

    draw_speed_band(target, r, track_style);

    cairo_save(cr);
    cairo_translate(cr, r.centre_x(), r.centre_y());
    draw_ticks(cr, scale);
    draw_labels(cr, scale);
    draw_bezel(cr);
    cairo_restore(cr);
}

} // namespace

std::vector<dial_label> dial_labels(const dial_scale& scale) {
    std::vector<dial_label> labels;
    for (int speed = 0; speed <= scale.top_speed; speed += scale.major_step) {
        const double a = radians(scale_angle(speed, scale.top_speed));
        labels.push_back({speed, label_radius * std::cos(a), label_radius * std::sin(a)});
    }
    return labels;
}

void draw_dial_face(canvas& target, const dial_scale& scale, const region& where) {
    draw_face_in(target, where, scale);
}

} // namespace atlas
