// Puts crops of frames side by side, each enlarged by whole pixels and
// labelled, for pictures in the docs.
//
//   side_by_side OUT.png PANEL... where PANEL is LABEL:FILE:X:Y:W:H:ZOOM
//
// Panels fill a row; an argument "/" starts the next row.
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int gap = 12;
constexpr int label_height = 28;

struct panel {
    std::string label;
    std::string file;
    int x, y, w, h, zoom;
};

bool parse(const std::string& text, panel& p) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ':');)
        parts.push_back(part);
    if (parts.size() != 7)
        return false;
    p = {parts[0],
         parts[1],
         std::atoi(parts[2].c_str()),
         std::atoi(parts[3].c_str()),
         std::atoi(parts[4].c_str()),
         std::atoi(parts[5].c_str()),
         std::max(1, std::atoi(parts[6].c_str()))};
    return p.w > 0 && p.h > 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT.png LABEL:FILE:X:Y:W:H:ZOOM... [/ ...]\n", argv[0]);
        return 2;
    }
    std::vector<std::vector<panel>> rows(1);
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "/") {
            rows.emplace_back();
            continue;
        }
        panel p;
        if (!parse(argv[i], p)) {
            std::fprintf(stderr, "not a panel: %s\n", argv[i]);
            return 2;
        }
        rows.back().push_back(p);
    }
    int width = 0, height = gap;
    for (const auto& row : rows) {
        int row_width = gap, row_height = 0;
        for (const panel& p : row) {
            row_width += p.w * p.zoom + gap;
            row_height = std::max(row_height, p.h * p.zoom + label_height);
        }
        width = std::max(width, row_width);
        height += row_height + gap;
    }

    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 16);
    int top = gap;
    for (const auto& row : rows) {
        int left = gap, row_height = 0;
        for (const panel& p : row) {
            cairo_surface_t* frame = cairo_image_surface_create_from_png(p.file.c_str());
            if (cairo_surface_status(frame) != CAIRO_STATUS_SUCCESS) {
                std::fprintf(stderr, "cannot read %s\n", p.file.c_str());
                return 1;
            }
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_move_to(cr, left, top + 18);
            cairo_show_text(cr, p.label.c_str());
            cairo_save(cr);
            cairo_translate(cr, left, top + label_height);
            cairo_rectangle(cr, 0, 0, p.w * p.zoom, p.h * p.zoom);
            cairo_clip(cr);
            cairo_scale(cr, p.zoom, p.zoom);
            cairo_set_source_surface(cr, frame, -p.x, -p.y);
            // Whole pixels, so the enlargement shows the frame's own pixels.
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_surface_destroy(frame);
            left += p.w * p.zoom + gap;
            row_height = std::max(row_height, p.h * p.zoom + label_height);
        }
        top += row_height + gap;
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(out, argv[1]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(out);
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
