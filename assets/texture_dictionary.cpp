#include "assets/texture_dictionary.hpp"

#include "src/host/dictionary_format.hpp"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

namespace txd {
namespace {

using namespace dictionary_format;

// The depth the header reports: readers recompute a compressed raster's from
// its code.
constexpr std::uint8_t bits_per_pixel_rgba32 = bits_per_pixel_32;
constexpr std::uint8_t bits_per_pixel_compressed = 16;
constexpr std::uint16_t device_id = 2;

// Bounds that keep a hostile file from making us allocate without limit.
constexpr std::size_t max_file_size = 64u << 20;
constexpr int max_dimension = 4096;

// ---------------------------------------------------------------- writing

class byte_writer {
  public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void chunk_header(std::uint32_t type, std::size_t size) {
        u32(type);
        u32(static_cast<std::uint32_t>(size));
        u32(version_stamp);
    }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

bool is_compressed(pixel_encoding encoding) {
    return encoding != pixel_encoding::rgba32;
}

std::size_t level_size(const texture_image& t, int level) {
    return level_byte_count(t.encoding, mip_level_side(t.width, level),
                            mip_level_side(t.height, level));
}

int level_count(const texture_image& t) {
    return 1 + static_cast<int>(t.mip_levels.size());
}

const std::vector<std::uint8_t>& level_pixels(const texture_image& t, int level) {
    return level == 0 ? t.rgba : t.mip_levels[static_cast<std::size_t>(level) - 1];
}

std::size_t texture_struct_size(const texture_image& t) {
    std::size_t size = texture_header_size;
    for (int level = 0; level < level_count(t); ++level)
        size += 4 + level_size(t, level);
    return size;
}

// Texture chunk body: its struct chunk and an empty extension chunk.
std::size_t texture_chunk_size(const texture_image& t) {
    return chunk_header_size + texture_struct_size(t) + chunk_header_size;
}

// With one level only the plain filters make sense; a mip filter would sample
// levels that are not there.
bool is_single_level_filter(std::uint8_t filter) {
    return filter == 1 || filter == 2;
}

// The mip modes: nearest or linear within a level, and between levels.
bool is_mip_filter(std::uint8_t filter) {
    return filter >= 3 && filter <= 6;
}

bool is_filter_for(std::uint8_t filter, bool has_mip_levels) {
    return has_mip_levels ? is_mip_filter(filter) : is_single_level_filter(filter);
}

// A partial chain would leave the device sampling levels that are not there.
bool has_whole_mip_chain(const texture_image& t) {
    if (t.mip_levels.empty())
        return true;
    if (level_count(t) != mip_level_count(t.width, t.height))
        return false;
    for (int level = 1; level < level_count(t); ++level)
        if (level_pixels(t, level).size() != level_size(t, level))
            return false;
    return true;
}

// Wrap, mirror, clamp or border for both u and v: the device has no other.
bool is_addressing(std::uint8_t addressing) {
    const int u = addressing & 0x0F;
    const int v = addressing >> 4;
    return u >= 1 && u <= 4 && v >= 1 && v <= 4;
}

// Only what the reader would accept back: a truncated name or a short pixel
// buffer would give a file that loads but shows the wrong thing.
bool is_writable(const texture_image& t) {
    return !t.name.empty() && t.name.size() < name_field_size &&
           t.name.find('\0') == std::string::npos && t.width > 0 && t.height > 0 &&
           t.width <= max_dimension && t.height <= max_dimension &&
           t.rgba.size() == level_size(t, 0) && has_whole_mip_chain(t) &&
           is_filter_for(t.filter_mode, !t.mip_levels.empty()) && is_addressing(t.addressing);
}

// The host looks textures up by name; lower case is what its own files use.
void write_name(byte_writer& out, const std::string& name) {
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        out.u8(static_cast<std::uint8_t>(c));
    }
    out.zeros(name_field_size - name.size());
}

std::uint32_t pixel_format_of(const texture_image& t) {
    switch (t.encoding) {
    case pixel_encoding::dxt1:
        return four_cc_dxt1;
    case pixel_encoding::dxt3:
        return four_cc_dxt3;
    case pixel_encoding::dxt5:
        return four_cc_dxt5;
    case pixel_encoding::rgba32:
        break;
    }
    return t.has_alpha ? pixel_format_argb : pixel_format_rgb;
}

bool has_alpha(const texture_image& t) {
    return (t.encoding != pixel_encoding::dxt1 && t.encoding != pixel_encoding::rgba32) ||
           t.has_alpha;
}

// The colour nibbles other tools write for each: readers only take a depth
// from it.
std::uint32_t raster_colour(const texture_image& t) {
    switch (t.encoding) {
    case pixel_encoding::dxt1:
        return t.has_alpha ? raster_format_1555 : raster_format_565;
    case pixel_encoding::dxt3:
    case pixel_encoding::dxt5:
        return raster_format_4444;
    case pixel_encoding::rgba32:
        break;
    }
    return t.has_alpha ? raster_format_8888 : raster_format_888;
}

void write_texture(byte_writer& out, const texture_image& t) {
    out.chunk_header(chunk_texture, texture_chunk_size(t));
    out.chunk_header(chunk_struct, texture_struct_size(t));
    out.u32(platform_id);
    out.u8(t.filter_mode);
    out.u8(t.addressing);
    out.u16(0);
    write_name(out, t.name);
    out.zeros(name_field_size); // mask name
    out.u32(raster_colour(t) | (t.mip_levels.empty() ? 0 : raster_format_has_mip_levels));
    out.u32(pixel_format_of(t));
    out.u16(static_cast<std::uint16_t>(t.width));
    out.u16(static_cast<std::uint16_t>(t.height));
    out.u8(is_compressed(t.encoding) ? bits_per_pixel_compressed : bits_per_pixel_rgba32);
    out.u8(static_cast<std::uint8_t>(level_count(t)));
    out.u8(raster_type_texture);
    out.u8(static_cast<std::uint8_t>((has_alpha(t) ? flag_has_alpha : 0) |
                                     (is_compressed(t.encoding) ? flag_compressed : 0)));

    for (int level = 0; level < level_count(t); ++level) {
        const auto& data = level_pixels(t, level);
        const std::size_t size = data.size();
        out.u32(static_cast<std::uint32_t>(size));
        auto& bytes = out.bytes();
        if (is_compressed(t.encoding)) {
            bytes.insert(bytes.end(), data.begin(), data.end());
            continue;
        }
        const std::size_t start = bytes.size();
        bytes.resize(start + size);
        for (std::size_t i = 0; i < size; i += 4) {
            bytes[start + i + 0] = data[i + 2];
            bytes[start + i + 1] = data[i + 1];
            bytes[start + i + 2] = data[i + 0];
            bytes[start + i + 3] = data[i + 3];
        }
    }
    out.chunk_header(chunk_extension, 0);
}

// ---------------------------------------------------------------- reading

class byte_reader {
  public:
    explicit byte_reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t position() const { return pos_; }
    bool ok() const { return ok_; }

    std::uint8_t u8() {
        if (!take(1))
            return 0;
        return bytes_[pos_ - 1];
    }
    std::uint16_t u16() {
        const std::uint16_t lo = u8();
        const std::uint16_t hi = u8();
        return static_cast<std::uint16_t>(lo | (hi << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        const std::uint32_t hi = u16();
        return lo | (hi << 16);
    }
    std::span<const std::uint8_t> take_span(std::size_t n) {
        if (!take(n))
            return {};
        return bytes_.subspan(pos_ - n, n);
    }
    void fail() { ok_ = false; }

  private:
    bool take(std::size_t n) {
        if (!ok_ || n > remaining()) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// What a reader found wrong, kept to the first thing.
class refusal {
  public:
    explicit refusal(std::string* why) : why_(why) {}
    // Always null, so that a check can `return refused(...)`.
    std::nullopt_t operator()(const std::string& reason) {
        if (why_ != nullptr && why_->empty())
            *why_ = reason;
        return std::nullopt;
    }

  private:
    std::string* why_;
};

// Reads a chunk header of the expected type and version and returns the
// chunk's size, which must fit in what is left of the buffer.
std::optional<std::size_t> expect_chunk(byte_reader& in, std::uint32_t type, refusal& refused) {
    const std::uint32_t got_type = in.u32();
    const std::uint32_t size = in.u32();
    const std::uint32_t version = in.u32();
    if (!in.ok())
        return refused("ends inside a chunk header");
    if (got_type != type)
        return refused("chunk of type " + std::to_string(got_type) + " where " +
                       std::to_string(type) + " belongs");
    if (version != version_stamp)
        return refused("chunk version stamp is not the host's");
    if (size > in.remaining())
        return refused("chunk size runs past the end of the file");
    return size;
}

// The extension that closes a texture or the dictionary: empty in our files,
// other tools' plug-in chunks in theirs, which a reader skips by their sizes,
// each lying within the extension.
bool skip_extension(byte_reader& in, refusal& refused) {
    const auto size = expect_chunk(in, chunk_extension, refused);
    if (!size)
        return false;
    const std::size_t end = in.position() + *size;
    while (in.position() != end) {
        if (end - in.position() < chunk_header_size) {
            refused("extension ends inside a plug-in chunk's header");
            return false;
        }
        in.u32(); // any type
        const std::uint32_t plugin_size = in.u32();
        if (in.u32() != version_stamp) {
            refused("chunk version stamp is not the host's");
            return false;
        }
        if (plugin_size > end - in.position()) {
            refused("plug-in chunk runs past its extension");
            return false;
        }
        in.take_span(plugin_size);
    }
    return true;
}

std::optional<std::string> read_name(byte_reader& in) {
    const auto field = in.take_span(name_field_size);
    if (!in.ok())
        return std::nullopt;
    std::string name;
    std::size_t i = 0;
    for (; i < field.size() && field[i] != 0; ++i)
        name.push_back(static_cast<char>(field[i]));
    if (i == field.size())
        return std::nullopt; // not terminated within the field
    return name;
}

std::optional<pixel_encoding> encoding_of(std::uint32_t pixel_format) {
    switch (pixel_format) {
    case pixel_format_argb:
    case pixel_format_rgb:
        return pixel_encoding::rgba32;
    case four_cc_dxt1:
        return pixel_encoding::dxt1;
    case four_cc_dxt3:
        return pixel_encoding::dxt3;
    case four_cc_dxt5:
        return pixel_encoding::dxt5;
    default:
        return std::nullopt;
    }
}

bool is_raster_colour(std::uint32_t colour) {
    return colour == raster_format_1555 || colour == raster_format_565 ||
           colour == raster_format_4444 || colour == raster_format_8888 ||
           colour == raster_format_888;
}

struct texture_header_fields {
    std::uint32_t platform;
    std::uint8_t filter;
    std::uint8_t addressing;
    std::uint32_t raster_format;
    std::uint32_t pixel_format;
    int width;
    int height;
    std::uint8_t depth;
    std::uint8_t levels;
    std::uint8_t raster_type;
    std::uint8_t flags;
};

// Only layouts whose levels follow as this reader takes them: 32-bit, or DXT
// blocks, each with one level or the whole stored chain. Palette, cube,
// self-mipping and other rasters are refused rather than misread.
std::optional<pixel_encoding> check_header(const texture_header_fields& h, refusal& refused) {
    if (h.platform != platform_id)
        return refused("platform id " + std::to_string(h.platform) + " is not 9");
    if (h.raster_type != raster_type_texture)
        return refused("raster type is not a texture");
    if (h.width <= 0 || h.height <= 0 || h.width > max_dimension || h.height > max_dimension)
        return refused("size " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                       " is outside 1 to 4096");
    if (!is_addressing(h.addressing))
        return refused("no such addressing mode");
    const auto encoding = encoding_of(h.pixel_format);
    if (!encoding)
        return refused("pixel format " + std::to_string(h.pixel_format) +
                       " is neither 32-bit nor DXT1, DXT3 or DXT5");
    if ((h.raster_format & (raster_format_palette_8 | raster_format_palette_4)) != 0)
        return refused("a palette before the levels");
    if ((h.raster_format & raster_format_automatic_mip_levels) != 0 ||
        (h.flags & flag_automatic_mip_levels) != 0)
        return refused("automatic mip levels: the file must carry its own");
    if ((h.flags & flag_cube) != 0)
        return refused("cube textures are not read");
    if ((h.flags & ~(flag_has_alpha | flag_compressed)) != 0)
        return refused("unknown flag bits");
    const bool compressed = (h.flags & flag_compressed) != 0;
    const bool alpha = (h.flags & flag_has_alpha) != 0;
    if (*encoding == pixel_encoding::rgba32) {
        // The colour nibble, not the code, gives the device format: it must
        // say 4 bytes a pixel, and agree with the code on alpha.
        const bool code_alpha = h.pixel_format == pixel_format_argb;
        const std::uint32_t colour = h.raster_format & raster_format_colour_mask;
        if (compressed)
            return refused("32-bit colour with the compressed flag");
        if (alpha != code_alpha)
            return refused(code_alpha ? "32-bit colour without the alpha flag"
                                      : "32-bit colour without alpha, with the alpha flag");
        if (h.depth != bits_per_pixel_rgba32 ||
            !(colour == raster_format_8888 || (!code_alpha && colour == raster_format_888)))
            return refused("32-bit colour with another depth or raster format");
    } else {
        if (!compressed)
            return refused("four-character code without the compressed flag");
        if (*encoding != pixel_encoding::dxt1 && !alpha)
            return refused("DXT3 or DXT5 without the alpha flag");
        // The depth is recomputed from the code, so only the nibble's kind matters.
        if (!is_raster_colour(h.raster_format & raster_format_colour_mask))
            return refused("unknown raster colour format");
    }
    if ((h.raster_format & ~(raster_format_colour_mask | raster_format_has_mip_levels)) != 0)
        return refused("unknown raster format bits");
    const bool mipped = (h.raster_format & raster_format_has_mip_levels) != 0;
    if (!mipped && h.levels != 1)
        return refused(std::to_string(h.levels) + " levels without the mip bit");
    if (mipped && h.levels != mip_level_count(h.width, h.height))
        return refused(std::to_string(h.levels) + " levels where the whole chain has " +
                       std::to_string(mip_level_count(h.width, h.height)));
    if (!is_filter_for(h.filter, mipped))
        return refused("filter mode " + std::to_string(h.filter) +
                       (mipped ? " does not use the mip levels" : " needs mip levels"));
    return encoding;
}

std::optional<texture_image> read_texture(byte_reader& in, refusal& refused) {
    const auto texture_size = expect_chunk(in, chunk_texture, refused);
    if (!texture_size)
        return std::nullopt;
    const std::size_t texture_end = in.position() + *texture_size;

    const auto struct_size = expect_chunk(in, chunk_struct, refused);
    if (!struct_size)
        return std::nullopt;
    if (*struct_size < texture_header_size + 4)
        return refused("texture struct too small for its header");
    const std::size_t struct_end = in.position() + *struct_size;

    texture_header_fields h{};
    h.platform = in.u32();
    h.filter = in.u8();
    h.addressing = in.u8();
    in.u16(); // padding
    auto name = read_name(in);
    if (!name)
        return refused("texture name is not terminated");
    // The host looks textures up by name: the writer stores no nameless one.
    if (name->empty())
        return refused("texture name is empty");
    in.take_span(name_field_size); // mask name
    h.raster_format = in.u32();
    h.pixel_format = in.u32();
    h.width = in.u16();
    h.height = in.u16();
    h.depth = in.u8();
    h.levels = in.u8();
    h.raster_type = in.u8();
    h.flags = in.u8();
    if (!in.ok())
        return refused("ends inside a texture header");
    const auto encoding = check_header(h, refused);
    if (!encoding)
        return std::nullopt;

    texture_image image;
    image.name = std::move(*name);
    image.width = h.width;
    image.height = h.height;
    image.encoding = *encoding;
    image.has_alpha = (h.flags & flag_has_alpha) != 0;
    image.filter_mode = h.filter;
    image.addressing = h.addressing;
    for (int level = 0; level < h.levels; ++level) {
        const std::size_t expected = level_size(image, level);
        const std::uint32_t level_bytes = in.u32();
        if (!in.ok())
            return refused("ends before level " + std::to_string(level));
        if (level_bytes != expected)
            return refused("level " + std::to_string(level) + " holds " +
                           std::to_string(level_bytes) + " bytes where its size takes " +
                           std::to_string(expected));
        if (level_bytes > struct_end - in.position())
            return refused("level " + std::to_string(level) + " runs past its chunk");
        const auto data = in.take_span(level_bytes);
        if (!in.ok())
            return refused("ends inside level " + std::to_string(level));
        auto& level_data = level == 0 ? image.rgba : image.mip_levels.emplace_back();
        if (is_compressed(image.encoding)) {
            level_data.assign(data.begin(), data.end());
            continue;
        }
        level_data.resize(expected);
        for (std::size_t i = 0; i < expected; i += 4) {
            level_data[i + 0] = data[i + 2];
            level_data[i + 1] = data[i + 1];
            level_data[i + 2] = data[i + 0];
            level_data[i + 3] = data[i + 3];
        }
    }
    if (in.position() != struct_end)
        return refused("texture struct size does not match its levels");
    if (!skip_extension(in, refused))
        return std::nullopt;
    if (in.position() != texture_end)
        return refused("texture chunk size does not match its contents");
    return image;
}

} // namespace

std::vector<std::uint8_t> encode(const std::vector<texture_image>& textures) {
    if (textures.size() > std::numeric_limits<std::uint16_t>::max())
        return {};
    for (const auto& t : textures)
        if (!is_writable(t))
            return {};

    std::size_t dictionary_size = chunk_header_size + dictionary_struct_size + chunk_header_size;
    for (const auto& t : textures)
        dictionary_size += chunk_header_size + texture_chunk_size(t);

    byte_writer out;
    out.bytes().reserve(chunk_header_size + dictionary_size);
    out.chunk_header(chunk_dictionary, dictionary_size);
    out.chunk_header(chunk_struct, dictionary_struct_size);
    out.u16(static_cast<std::uint16_t>(textures.size()));
    out.u16(device_id);
    for (const auto& t : textures)
        write_texture(out, t);
    out.chunk_header(chunk_extension, 0);
    return std::move(out.bytes());
}

std::optional<std::vector<texture_image>> decode(std::span<const std::uint8_t> bytes,
                                                 std::string* why) {
    refusal refused(why);
    if (bytes.size() > max_file_size)
        return refused("larger than 64 MB");
    byte_reader in(bytes);
    const auto dictionary_size = expect_chunk(in, chunk_dictionary, refused);
    if (!dictionary_size)
        return std::nullopt;
    // Whatever follows the dictionary (zeros that pad a file taken out of an
    // archive) is never read.
    const std::size_t dictionary_end = in.position() + *dictionary_size;

    const auto struct_size = expect_chunk(in, chunk_struct, refused);
    if (!struct_size)
        return std::nullopt;
    if (*struct_size != dictionary_struct_size)
        return refused("dictionary struct is not 4 bytes");
    const std::uint16_t count = in.u16();
    in.u16(); // device id
    if (!in.ok())
        return refused("ends inside the dictionary struct");

    std::vector<texture_image> textures;
    for (std::uint16_t i = 0; i < count; ++i) {
        auto texture = read_texture(in, refused);
        if (!texture)
            return std::nullopt;
        textures.push_back(std::move(*texture));
    }
    if (!skip_extension(in, refused))
        return std::nullopt;
    if (in.position() != dictionary_end)
        return refused("dictionary size does not match its contents");
    return textures;
}

bool write_file(const std::filesystem::path& path, const std::vector<texture_image>& textures) {
    const auto bytes = encode(textures);
    if (bytes.empty())
        return false;
    std::filesystem::path temporary = path;
    temporary += ".partial";
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

std::size_t level_byte_count(pixel_encoding encoding, int width, int height) {
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    switch (encoding) {
    case pixel_encoding::rgba32:
        break;
    case pixel_encoding::dxt1:
        return ((w + 3) / 4) * ((h + 3) / 4) * 8;
    case pixel_encoding::dxt3:
    case pixel_encoding::dxt5:
        return ((w + 3) / 4) * ((h + 3) / 4) * 16;
    }
    return w * h * 4;
}

int mip_level_count(int width, int height) {
    int levels = 1;
    for (int side = width > height ? width : height; side > 1; side /= 2)
        ++levels;
    return levels;
}

int mip_level_side(int side, int level) {
    const int halved = side >> level;
    return halved < 1 ? 1 : halved;
}

std::optional<std::vector<texture_image>> read_file(const std::filesystem::path& path,
                                                    std::string* why) {
    refusal refused(why);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return refused("cannot be opened");
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > max_file_size)
        return refused("larger than 64 MB");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return refused("cannot be read");
    return decode(bytes, why);
}

} // namespace txd
