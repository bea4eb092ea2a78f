#pragma once
// Packs a skin maker's PNG into the dictionary the module loads, made as the
// shipped artwork is: the full chain on premultiplied alpha, every level
// compressed to DXT5 by the same encoder interface and settings.
#include <cstdio>
#include <string>
#include <vector>

namespace skin {

// Paths in UTF-8, as they are printed.
struct pack_request {
    std::string png_path;
    std::string dictionary_path;
    bool uncompressed = false; // --32bit
    bool quality = false;      // --quality: each level's PSNR
    // Lines on the dictionary's name, printed once the PNG is taken, so that
    // a refusal comes first and alone.
    std::vector<std::string> notes;
};

// 0 when the dictionary is written; otherwise 1 with one line on `errors`
// saying why and no file written (nothing replaced either). Warnings, then
// the notes, then the per-level PSNR when asked go to `report`: the lines on
// the skin's name come last, where a small window still shows them. The
// written line says "replaced" instead of "wrote" when a file was there.
int pack_skin(const pack_request& request, std::FILE* report, std::FILE* errors);

} // namespace skin
