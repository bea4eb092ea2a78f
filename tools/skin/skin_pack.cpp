#include "skin_pack.hpp"

#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"
#include "console.hpp"
#include "dxt_decoder.hpp"
#include "dxt_encoder.hpp"
#include "level_psnr.hpp"
#include "png_input.hpp"
#include "skin_warnings.hpp"
#include "utf8_path.hpp"
#include "write_failure.hpp"

#include <exception>
#include <filesystem>

namespace skin {

namespace {

// The module asks the host for the texture by this name, and the shipped
// artwork samples linearly within and between levels.
constexpr const char* texture_name = "speedometer";
constexpr std::uint8_t mip_filter_linear = 6;

void report_level(std::FILE* report, int level, int width, int height,
                  const std::vector<std::uint8_t>& original,
                  const std::vector<std::uint8_t>& blocks) {
    const auto decoded = dxt::decompress_level(txd::pixel_encoding::dxt5, width, height, blocks);
    const dxt::level_psnr psnr =
        dxt::compare_levels(original, decoded, width, {0, 0, width, height});
    print(report, "level %2d  %4dx%-4d  colour %6.2f dB  alpha %6.2f dB\n", level, width, height,
          psnr.colour, psnr.alpha);
}

} // namespace

int pack_skin(const pack_request& request, std::FILE* report, std::FILE* errors) {
    std::string why;
    const png_image png = read_png_with_alpha(request.png_path, why);
    if (png.rgba.empty()) {
        print(errors, "refused: %s\n", why.c_str());
        return 1;
    }
    for (const std::string& warning : skin_warnings(png.width, png.height, png.rgba))
        print(report, "warning: %s\n", warning.c_str());
    for (const std::string& note : request.notes)
        print(report, "%s\n", note.c_str());

    txd::texture_image texture;
    texture.name = texture_name;
    texture.width = png.width;
    texture.height = png.height;
    texture.rgba = png.rgba;
    texture.mip_levels = txd::make_mip_levels(texture.width, texture.height, texture.rgba);
    texture.filter_mode = mip_filter_linear;
    bool replaced = false;
    try {
        txd::texture_image written = texture;
        if (!request.uncompressed)
            written = dxt::compress_dxt5(texture);
        if (!request.uncompressed && request.quality) {
            report_level(report, 0, texture.width, texture.height, texture.rgba, written.rgba);
            for (std::size_t i = 0; i < texture.mip_levels.size(); ++i) {
                const int level = static_cast<int>(i) + 1;
                report_level(report, level, txd::mip_level_side(texture.width, level),
                             txd::mip_level_side(texture.height, level), texture.mip_levels[i],
                             written.mip_levels[i]);
            }
        }
        // The dictionary goes into the game's models folder, which may not
        // exist yet; the writer goes through a temporary file and a rename.
        const std::filesystem::path dictionary = utf8_path(request.dictionary_path);
        const auto parent = dictionary.parent_path();
        std::error_code ignored; // writing the file reports the failure
        if (!parent.empty())
            std::filesystem::create_directories(parent, ignored);
        // Said in the line below: two PNGs whose names make one skin replace
        // each other's dictionary, and only the second drop would show it.
        replaced = std::filesystem::exists(dictionary, ignored);
        if (!txd::write_file(dictionary, {written})) {
            print(errors, "refused: %s\n",
                  write_failure(request.dictionary_path, dictionary).c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        print(errors, "refused: %s\n", e.what());
        return 1;
    }
    print(report, "%s %s: %dx%d, %zu levels, %s\n", replaced ? "replaced" : "wrote",
          request.dictionary_path.c_str(), texture.width, texture.height,
          texture.mip_levels.size() + 1, request.uncompressed ? "32-bit" : "DXT5");
    return 0;
}

} // namespace skin
