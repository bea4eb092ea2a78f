#include "label_font.hpp"

#include <cairo-ft.h>

#include <stdexcept>
#include <string>

namespace atlas {

namespace {

constexpr const char* family = "DejaVu Sans";

} // namespace

void select_label_font(cairo_t* cr, double size) {
    cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);

    cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
    if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS ||
        cairo_scaled_font_get_type(font) != CAIRO_FONT_TYPE_FT)
        throw std::runtime_error("no FreeType font for the dial labels");
    FT_Face face = cairo_ft_scaled_font_lock_face(font);
    const std::string found_family = face && face->family_name ? face->family_name : "";
    const std::string found_style = face && face->style_name ? face->style_name : "";
    cairo_ft_scaled_font_unlock_face(font);
    if (found_family != family || found_style != "Bold")
        throw std::runtime_error("font \"" + std::string(family) + " Bold\" not installed (got \"" +
                                 found_family + " " + found_style +
                                 "\"); install fonts-dejavu-core");
}

} // namespace atlas
