#include "png_input.hpp"

#include "png_chunks.hpp"
#include "skin_layout.hpp"
#include "utf8_path.hpp"
#include "write_failure.hpp"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include <cstring>
#include <fstream>
#include <system_error>

namespace skin {

namespace {

// The file's bytes, refused by its size before any is read.
std::vector<std::uint8_t> read_bounded(const std::string& path, std::string& why) {
    const std::filesystem::path file = utf8_path(path);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || !in) {
        why = open_failure(path, file);
        return {};
    }
    if (size > max_png_file_bytes) {
        constexpr std::uintmax_t megabyte = 1 << 20;
        why = path + " is " + std::to_string((size + megabyte - 1) / megabyte) +
              " MB; a skin's PNG is at most 64 MB (a 4096x2048 skin takes a few MB)";
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        why = "cannot read " + path;
        return {};
    }
    return bytes;
}

// A file that is no PNG, by what it is: an empty file is a save that failed;
// a JPEG is what paint programs write unless PNG is chosen.
std::string not_png_refusal(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty())
        return path + " is empty (0 bytes): save the PNG again";
    const bool jpeg = bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
    return path + (jpeg ? " is a JPEG picture, which has no transparency" : " is not a PNG file") +
           ": save it as PNG from your paint program, starting from speedometer.png";
}

// The refusal for a PNG whose chunks say it cannot be a skin; empty if it can.
std::string outline_refusal(const std::string& path, png_outline_status status,
                            const png_outline& outline) {
    switch (status) {
    case png_outline_status::not_png:
        break;
    case png_outline_status::no_header:
        return path + " is damaged: it does not begin with a PNG header";
    case png_outline_status::cut_short:
        return path + " is cut short: the file ends before the image does (saved or copied "
                      "only in part?)";
    case png_outline_status::bad_checksum:
        return path + " is damaged: its " + outline.damaged_chunk +
               " chunk fails its checksum (a byte changed in copying or downloading?); save the "
               "PNG again from your paint program, or copy it again";
    case png_outline_status::read:
        break;
    }
    // Sides over 4096 are out whatever the other is; checked before the
    // int conversion.
    if (outline.width > 4096 || outline.height > 4096 ||
        !allowed_size(static_cast<int>(outline.width), static_cast<int>(outline.height)))
        return path + " is " + std::to_string(outline.width) + "x" +
               std::to_string(outline.height) +
               "; a skin is twice as wide as high, with power-of-two sides from 512x256 to "
               "4096x2048";
    if (!outline.has_alpha())
        return path + " has no alpha channel: the gauge needs transparency around its sprites; "
                      "start from speedometer.png, which has transparency";
    return {};
}

} // namespace

png_image read_png_with_alpha(const std::string& path, std::string& why) {
    why.clear();
    const std::vector<std::uint8_t> bytes = read_bounded(path, why);
    if (!why.empty())
        return {};
    png_outline outline;
    const png_outline_status status = read_png_outline(bytes, outline);
    why = status == png_outline_status::not_png ? not_png_refusal(path, bytes)
                                                : outline_refusal(path, status, outline);
    if (!why.empty())
        return {};
    // The image data inflated whole and to the sum it carries: stb_image
    // checks neither, and would decode a changed stream to a garbled face.
    int inflated_size = 0;
    char* inflated = stbi_zlib_decode_malloc_guesssize_headerflag(
        reinterpret_cast<const char*>(outline.image_data.data()),
        static_cast<int>(outline.image_data.size()), 1 << 16, &inflated_size, 1);
    const bool sum_matches =
        inflated != nullptr &&
        image_data_sum_matches(outline.image_data, {reinterpret_cast<const std::uint8_t*>(inflated),
                                                    static_cast<std::size_t>(inflated_size)});
    const bool out_of_memory =
        inflated == nullptr && std::strcmp(stbi_failure_reason(), "outofmem") == 0;
    STBI_FREE(inflated);
    if (out_of_memory) {
        why = path + " needs more memory to decode than there is free";
        return {};
    }
    if (!sum_matches) {
        why = path + " is damaged: its pixels do not decode (the image data does not inflate to "
                     "what it says it holds); save the PNG again from your paint program";
        return {};
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                            &height, &channels, 4);
    if (pixels == nullptr) {
        why = std::strcmp(stbi_failure_reason(), "outofmem") == 0
                  ? path + " needs more memory to decode than there is free"
                  : path + " is damaged: its pixels do not decode";
        return {};
    }
    png_image image{width, height, {pixels, pixels + static_cast<std::size_t>(width) * height * 4}};
    stbi_image_free(pixels);
    return image;
}

} // namespace skin
