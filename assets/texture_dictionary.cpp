#include "assets/texture_dictionary.hpp"

#include <cstddef>
#include <fstream>
#include <limits>

namespace txd {
namespace {

constexpr std::uint32_t chunk_struct = 0x01;
constexpr std::uint32_t chunk_extension = 0x03;
constexpr std::uint32_t chunk_texture = 0x15;
constexpr std::uint32_t chunk_dictionary = 0x16;
// The library generation the host's own files carry; newer stamps may be refused.
constexpr std::uint32_t version_stamp = 0x1803FFFF;

constexpr std::size_t chunk_header_size = 12;
constexpr std::size_t texture_header_size = 88;
constexpr std::size_t dictionary_struct_size = 4;
constexpr std::size_t name_field_size = 32;

constexpr std::uint32_t platform_id = 9;
constexpr std::uint32_t raster_format_8888 = 0x0500;
// The file carries every level itself: the automatic-levels bit stays clear.
constexpr std::uint32_t raster_format_has_mip_levels = 0x8000;
constexpr std::uint32_t pixel_format_argb = 21;
constexpr std::uint8_t bits_per_pixel = 32;
constexpr std::uint8_t raster_type_texture = 4;
constexpr std::uint8_t flag_has_alpha = 0x01;
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

std::size_t level_size(int width, int height, int level) {
    return static_cast<std::size_t>(mip_level_side(width, level)) *
           static_cast<std::size_t>(mip_level_side(height, level)) * 4;
}

std::size_t level_size(const texture_image& t) {
    return level_size(t.width, t.height, 0);
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
        size += 4 + level_size(t.width, t.height, level);
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
        if (level_pixels(t, level).size() != level_size(t.width, t.height, level))
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
           t.rgba.size() == level_size(t) && has_whole_mip_chain(t) &&
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

void write_texture(byte_writer& out, const texture_image& t) {
    out.chunk_header(chunk_texture, texture_chunk_size(t));
    out.chunk_header(chunk_struct, texture_struct_size(t));
    out.u32(platform_id);
    out.u8(t.filter_mode);
    out.u8(t.addressing);
    out.u16(0);
    write_name(out, t.name);
    out.zeros(name_field_size); // mask name
    out.u32(t.mip_levels.empty() ? raster_format_8888
                                 : raster_format_8888 | raster_format_has_mip_levels);
    out.u32(pixel_format_argb);
    out.u16(static_cast<std::uint16_t>(t.width));
    out.u16(static_cast<std::uint16_t>(t.height));
    out.u8(bits_per_pixel);
    out.u8(static_cast<std::uint8_t>(level_count(t)));
    out.u8(raster_type_texture);
    out.u8(flag_has_alpha);

    for (int level = 0; level < level_count(t); ++level) {
        const auto& rgba = level_pixels(t, level);
        const std::size_t size = rgba.size();
        out.u32(static_cast<std::uint32_t>(size));
        auto& bytes = out.bytes();
        const std::size_t start = bytes.size();
        bytes.resize(start + size);
        for (std::size_t i = 0; i < size; i += 4) {
            bytes[start + i + 0] = rgba[i + 2];
            bytes[start + i + 1] = rgba[i + 1];
            bytes[start + i + 2] = rgba[i + 0];
            bytes[start + i + 3] = rgba[i + 3];
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

// Reads a chunk header of the expected type and version and returns the
// chunk's size, which must fit in what is left of the buffer.
std::optional<std::size_t> expect_chunk(byte_reader& in, std::uint32_t type) {
    const std::uint32_t got_type = in.u32();
    const std::uint32_t size = in.u32();
    const std::uint32_t version = in.u32();
    if (!in.ok() || got_type != type || version != version_stamp || size > in.remaining())
        return std::nullopt;
    return size;
}

bool expect_empty_extension(byte_reader& in) {
    const auto size = expect_chunk(in, chunk_extension);
    return size && *size == 0;
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

std::optional<texture_image> read_texture(byte_reader& in) {
    const auto texture_size = expect_chunk(in, chunk_texture);
    if (!texture_size)
        return std::nullopt;
    const std::size_t texture_end = in.position() + *texture_size;

    const auto struct_size = expect_chunk(in, chunk_struct);
    if (!struct_size || *struct_size < texture_header_size + 4)
        return std::nullopt;
    const std::size_t struct_end = in.position() + *struct_size;

    const std::uint32_t platform = in.u32();
    const std::uint8_t filter = in.u8();
    const std::uint8_t addressing = in.u8();
    in.u16(); // padding
    auto name = read_name(in);
    if (!name)
        return std::nullopt;
    in.take_span(name_field_size); // mask name
    const std::uint32_t raster_format = in.u32();
    const std::uint32_t pixel_format = in.u32();
    const int width = in.u16();
    const int height = in.u16();
    const std::uint8_t depth = in.u8();
    const std::uint8_t levels = in.u8();
    const std::uint8_t raster_type = in.u8();
    const std::uint8_t flags = in.u8();
    // Only plain 32-bit textures with alpha, with one level or the whole chain
    // of levels stored: cube, compressed or self-mipping rasters would be laid
    // out differently from what follows.
    const bool mipped = raster_format == (raster_format_8888 | raster_format_has_mip_levels);
    if (!in.ok() || platform != platform_id || !is_filter_for(filter, mipped) ||
        !is_addressing(addressing) || (raster_format != raster_format_8888 && !mipped) ||
        pixel_format != pixel_format_argb || depth != bits_per_pixel ||
        raster_type != raster_type_texture || flags != flag_has_alpha || width <= 0 ||
        height <= 0 || width > max_dimension || height > max_dimension ||
        levels != (mipped ? mip_level_count(width, height) : 1))
        return std::nullopt;

    texture_image image;
    image.name = std::move(*name);
    image.width = width;
    image.height = height;
    image.filter_mode = filter;
    image.addressing = addressing;
    for (int level = 0; level < levels; ++level) {
        const std::size_t expected = level_size(width, height, level);
        const std::uint32_t level_bytes = in.u32();
        if (!in.ok() || level_bytes != expected || level_bytes > struct_end - in.position())
            return std::nullopt;
        const auto pixels = in.take_span(level_bytes);
        if (!in.ok())
            return std::nullopt;
        auto& rgba = level == 0 ? image.rgba : image.mip_levels.emplace_back();
        rgba.resize(expected);
        for (std::size_t i = 0; i < expected; i += 4) {
            rgba[i + 0] = pixels[i + 2];
            rgba[i + 1] = pixels[i + 1];
            rgba[i + 2] = pixels[i + 0];
            rgba[i + 3] = pixels[i + 3];
        }
    }
    if (in.position() != struct_end || !expect_empty_extension(in) || in.position() != texture_end)
        return std::nullopt;
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

std::optional<std::vector<texture_image>> decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > max_file_size)
        return std::nullopt;
    byte_reader in(bytes);
    const auto dictionary_size = expect_chunk(in, chunk_dictionary);
    if (!dictionary_size || *dictionary_size != in.remaining())
        return std::nullopt;

    const auto struct_size = expect_chunk(in, chunk_struct);
    if (!struct_size || *struct_size != dictionary_struct_size)
        return std::nullopt;
    const std::uint16_t count = in.u16();
    in.u16(); // device id
    if (!in.ok())
        return std::nullopt;

    std::vector<texture_image> textures;
    for (std::uint16_t i = 0; i < count; ++i) {
        auto texture = read_texture(in);
        if (!texture)
            return std::nullopt;
        textures.push_back(std::move(*texture));
    }
    if (!expect_empty_extension(in) || in.remaining() != 0)
        return std::nullopt;
    return textures;
}

bool write_file(const std::string& path, const std::vector<texture_image>& textures) {
    const auto bytes = encode(textures);
    if (bytes.empty())
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
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

std::optional<std::vector<texture_image>> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > max_file_size)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return std::nullopt;
    return decode(bytes);
}

} // namespace txd
