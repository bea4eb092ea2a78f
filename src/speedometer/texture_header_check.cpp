#include "speedometer/texture_header_check.hpp"

#include "host/dictionary_format.hpp"

namespace {

using namespace dictionary_format;

// The nibble gives the device format of an uncompressed raster, and with it
// the bytes a pixel a level is copied with; a code that says 4 bytes a pixel
// must meet a nibble that says so too, and agree on alpha.
bool is_32_bit_layout(std::uint32_t code, std::uint32_t colour, std::uint8_t flags) {
    const bool alpha = (flags & flag_has_alpha) != 0;
    if (code == pixel_format_argb) {
        return alpha && colour == raster_format_8888;
    }
    return !alpha && (colour == raster_format_8888 || colour == raster_format_888);
}

// Block-compressed: the device texture takes the code's format, whose top
// level Direct3D wants in whole blocks. The nibble only sets a depth.
bool is_compressed_layout(std::uint32_t code, std::uint32_t colour, std::uint8_t flags,
                          std::uint32_t width, std::uint32_t height) {
    const bool known_colour = colour == raster_format_1555 || colour == raster_format_565 ||
                              colour == raster_format_4444 || colour == raster_format_8888 ||
                              colour == raster_format_888;
    return known_colour && (code == four_cc_dxt1 || (flags & flag_has_alpha) != 0) &&
           width % 4 == 0 && height % 4 == 0;
}

// One level and a plain filter, or levels and a mip filter: with the mip bit
// clear the device has one level whatever the count says. (A chain that stops
// short is told of on its own, once the rest agrees.)
bool is_level_layout(std::uint32_t raster, std::uint32_t levels, std::uint8_t filter) {
    if ((raster & raster_format_has_mip_levels) == 0) {
        return levels == 1 && (filter == 1 || filter == 2);
    }
    return filter >= 3 && filter <= 6;
}

// Wrap, mirror, clamp or border, for u and v alike.
bool is_addressing(std::uint8_t addressing) {
    const int u = addressing & 0x0F;
    const int v = addressing >> 4;
    return u >= 1 && u <= 4 && v >= 1 && v <= 4;
}

// The host finds the texture by a name that ends within its field.
bool is_name(const unsigned char* name) {
    if (name[0] == 0) {
        return false;
    }
    for (std::uint32_t at = 1; at < name_field_size; ++at) {
        if (name[at] == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::uint32_t whole_chain(std::uint32_t width, std::uint32_t height) {
    std::uint32_t levels = 1;
    for (std::uint32_t side = width > height ? width : height; side > 1; side /= 2) {
        ++levels;
    }
    return levels;
}

dictionary_fault texture_header_fault(const unsigned char* header) {
    const std::uint32_t raster = u32_at(header + raster_format_at);
    const std::uint32_t code = u32_at(header + pixel_format_at);
    const std::uint32_t width = u16_at(header + width_at);
    const std::uint32_t height = u16_at(header + height_at);
    const std::uint8_t flags = header[flags_at];
    if (u32_at(header + platform_at) != platform_id) {
        return dictionary_fault::other_platform;
    }
    if ((raster & (raster_format_palette_8 | raster_format_palette_4 |
                   raster_format_automatic_mip_levels)) != 0 ||
        (flags & (flag_cube | flag_automatic_mip_levels)) != 0 || width > largest_side ||
        height > largest_side) {
        return dictionary_fault::unread_layout;
    }
    const std::uint32_t colour = raster & raster_format_colour_mask;
    const bool compressed = (flags & flag_compressed) != 0;
    const bool uncompressed_code = code == pixel_format_argb || code == pixel_format_rgb;
    const bool raster_agrees =
        compressed != uncompressed_code &&
        (uncompressed_code
             ? is_32_bit_layout(code, colour, flags) && header[depth_at] == bits_per_pixel_32
             : is_compressed_layout(code, colour, flags, width, height));
    const bool known_bits =
        (raster & ~(raster_format_colour_mask | raster_format_has_mip_levels)) == 0 &&
        (flags & ~(flag_has_alpha | flag_compressed)) == 0;
    if (!raster_agrees || !known_bits || header[raster_type_at] != raster_type_texture ||
        !is_level_layout(raster, header[level_count_at], header[filter_mode_at]) ||
        !is_addressing(header[addressing_at]) || !is_name(header + name_at)) {
        return dictionary_fault::header_disagrees;
    }
    // No layout the format describes (one level or all of them), but the
    // usual slip of a tool told to export a few levels: its own words name
    // the counts, so a skin maker knows what to change.
    if ((raster & raster_format_has_mip_levels) != 0 &&
        header[level_count_at] != whole_chain(width, height)) {
        return dictionary_fault::partial_chain;
    }
    return dictionary_fault::none;
}
