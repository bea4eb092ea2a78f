// Draws template.png for skin makers: the layout at 2048x1024 with each
// sprite's rectangle outlined and named, the margin inside it that must stay
// clear where it meets a neighbour, and the needle's pivot and direction.
#include "skin_layout.hpp"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int texels_per_layout = 2;

void outline(cairo_t* cr, const atlas_layout::pixel_rect& r) {
    // The margin: a hatched band just inside the rectangle.
    cairo_set_source_rgba(cr, 1.0, 0.3, 0.3, 0.35);
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_rectangle(cr, r.left + skin::neighbour_margin, r.top + skin::neighbour_margin,
                    r.right - r.left - 2 * skin::neighbour_margin,
                    r.bottom - r.top - 2 * skin::neighbour_margin);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.1, 0.5, 1.0);
    cairo_set_line_width(cr, 0.5);
    cairo_rectangle(cr, r.left + 0.25, r.top + 0.25, r.right - r.left - 0.5,
                    r.bottom - r.top - 0.5);
    cairo_stroke(cr);
}

void label(cairo_t* cr, const char* text, double x, double y, double size) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void arrow(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_set_source_rgb(cr, 1.0, 0.85, 0.1);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    const double a = std::atan2(y1 - y0, x1 - x0);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x1 - 8 * std::cos(a - 0.4), y1 - 8 * std::sin(a - 0.4));
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x1 - 8 * std::cos(a + 0.4), y1 - 8 * std::sin(a + 0.4));
    cairo_stroke(cr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s template.png\n", argv[0]);
        return 2;
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, atlas_layout::width * texels_per_layout,
                                   atlas_layout::height * texels_per_layout);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.17);
    cairo_paint(cr);
    cairo_scale(cr, texels_per_layout, texels_per_layout);
    for (const skin::named_sprite& sprite : skin::layout_sprites()) {
        outline(cr, sprite.rect);
        const bool digit = sprite.name.find("digit") != std::string::npos;
        const std::string text =
            digit ? sprite.name.substr(sprite.name.rfind(' ') + 1) : sprite.name;
        const bool narrow = sprite.rect.right - sprite.rect.left < 40;
        // A label stays inside its box: a long name in a small box gets a
        // smaller size.
        double size = digit ? 12 : 11;
        cairo_text_extents_t extents;
        cairo_set_font_size(cr, size);
        cairo_text_extents(cr, text.c_str(), &extents);
        const double room = sprite.rect.right - sprite.rect.left - 12;
        if (!narrow && extents.x_advance > room)
            size *= room / extents.x_advance;
        label(cr, text.c_str(), narrow ? sprite.rect.right + 4 : sprite.rect.left + 6,
              sprite.rect.top + (digit ? 18 : 16), size);
    }
    label(cr, "speed digits: any colour (a white tint keeps it); dim zeros in front", 8, 470, 10);
    label(cr, "status digits: white, tinted", 582, 205, 9);
    // The dial: the needle turns about the face's centre, from 0 at 120
    // degrees clockwise from the right to the top speed at 360.
    const auto& face = atlas_layout::dial_face;
    const double cx = (face.left + face.right) / 2.0, cy = (face.top + face.bottom) / 2.0;
    for (const double degrees : {120.0, 360.0}) {
        const double a = degrees * std::numbers::pi / 180;
        arrow(cr, cx, cy, cx + 120 * std::cos(a), cy + 120 * std::sin(a));
    }
    label(cr, "0 (needle at rest)", cx - 130, cy + 115, 10);
    label(cr, "top speed", cx + 80, cy - 6, 10);
    // The needle stands pointing up in its rectangle; its pivot, the face's
    // centre on screen, lies below the rectangle's bottom.
    const auto& needle = atlas_layout::needle;
    const double nx = (needle.left + needle.right) / 2.0;
    const double pivot_y = needle.top + 145.0 * (needle.bottom - needle.top) / 116.0;
    arrow(cr, nx, needle.bottom - 10, nx, needle.top + 6);
    // The pivot lies where the status digits are drawn in the image, so it
    // is told in words beside the needle rather than marked over them.
    // In the template's own pixels, which a paint program's ruler shows, and
    // in the layout's, which the readme's margins use.
    char pivot[64], layout[64];
    std::snprintf(pivot, sizeof pivot, "pivot: %g px below this box",
                  (pivot_y - needle.bottom) * texels_per_layout);
    std::snprintf(layout, sizeof layout, "(%g layout pixels; the face's centre)",
                  pivot_y - needle.bottom);
    label(cr, pivot, needle.right + 4, needle.top + 80, 9);
    label(cr, layout, needle.right + 4, needle.top + 92, 9);
    label(cr, "tip up: points at 0 at rest", needle.right + 4, needle.top + 60, 9);
    label(cr, "red band: keep clear", 700, 250, 11);
    label(cr, "arc: a circle in its square", 700, 270, 11);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, argv[1]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
