#pragma once
// Labels on the preview sheet, in stb's quad font: no font file and no
// system font, so the sheet looks the same on every machine.
#include <cstdint>
#include <string>
#include <vector>

namespace preview {

// Writes ASCII text into a picture (R | G << 8 | B << 16 | A << 24, rows of
// picture_width), its top left at (x, y), each font pixel `scale` pixels
// wide; what falls outside is left out.
void draw_text(std::vector<std::uint32_t>& picture, int picture_width, int x, int y,
               const std::string& text, int scale, std::uint32_t colour);

// Pixels wide the text is at scale 1.
int text_width(const std::string& text);

} // namespace preview
