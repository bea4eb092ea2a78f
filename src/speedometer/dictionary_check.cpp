#include "speedometer/dictionary_check.hpp"

#include "files/header_reads.hpp"
#include "host/dictionary_format.hpp"
#include "speedometer/texture_header_check.hpp"

#include <cstdio>
#include <cstring>

namespace {

using namespace dictionary_format;

// A level is stored in blocks: a pixel of 4 bytes, or 4 by 4 pixels of 8
// (DXT1) or 16 bytes, a block begun taking a whole one.
struct raster_blocks {
    std::uint32_t side = 0;
    std::uint32_t bytes = 0;
};

raster_blocks blocks_of(std::uint32_t pixel_format) {
    switch (pixel_format) {
    case pixel_format_argb:
    case pixel_format_rgb:
        return {1, 4};
    case four_cc_dxt1:
        return {4, 8};
    case four_cc_dxt3:
    case four_cc_dxt5:
        return {4, 16};
    default:
        return {};
    }
}

// Each level halves the one above, rounded down, never below 1.
std::uint64_t level_bytes(raster_blocks blocks, std::uint32_t width, std::uint32_t height,
                          int level) {
    const std::uint32_t w = width >> level != 0 ? width >> level : 1;
    const std::uint32_t h = height >> level != 0 ? height >> level : 1;
    return std::uint64_t{(w + blocks.side - 1) / blocks.side} *
           ((h + blocks.side - 1) / blocks.side) * blocks.bytes;
}

// Walks the tree from the dictionary's header to its end, each chunk within
// its parent: the dictionary's own size was checked against the file's, so
// a chunk that runs past its parent has a size that lies. What follows the
// dictionary (zeros that pad a file taken out of an archive) is never read,
// by the host's reader or this walk.
class chunk_walk {
  public:
    chunk_walk(const header_reads& file, std::uint32_t length) : file_(file), length_(length) {}

    dictionary_verdict dictionary() {
        unsigned char header[chunk_header_size] = {};
        const std::uint32_t start = length_ < sizeof header ? length_ : sizeof header;
        if (!file_.read(0, header, start)) {
            return {dictionary_fault::cut_short};
        }
        if (u32_at(header) != chunk_dictionary) {
            return {dictionary_fault::not_a_dictionary};
        }
        if (length_ < sizeof header || u32_at(header + 4) > length_ - sizeof header) {
            return {dictionary_fault::cut_short};
        }
        end_ = sizeof header + u32_at(header + 4);
        other_stamp_ = u32_at(header + 8) != version_stamp;
        at_ = sizeof header;
        std::uint32_t struct_end = 0;
        unsigned char counts[dictionary_struct_size];
        if (!enter(chunk_struct, end_, struct_end) || struct_end - at_ != sizeof counts ||
            !read(counts, sizeof counts, struct_end)) {
            return {dictionary_fault::sizes_disagree};
        }
        if (u16_at(counts) > most_textures) {
            return {dictionary_fault::too_many_textures};
        }
        dictionary_verdict header_verdict;
        for (std::uint32_t texture = 0; texture < u16_at(counts); ++texture) {
            if (const dictionary_fault fault = this->texture(header_verdict);
                fault != dictionary_fault::none) {
                return {fault};
            }
        }
        // A tree whose sizes all hold is told of by what else is wrong in it.
        if (const dictionary_fault fault = extension(end_); fault != dictionary_fault::none) {
            return {fault};
        }
        return other_stamp_ ? dictionary_verdict{dictionary_fault::other_version} : header_verdict;
    }

  private:
    // header_verdict keeps the first texture header's fault, if any: every
    // texture is the host's to read, not only the one the gauge draws from.
    dictionary_fault texture(dictionary_verdict& header_verdict) {
        std::uint32_t texture_end = 0;
        std::uint32_t struct_end = 0;
        unsigned char header[texture_header_size];
        if (!enter(chunk_texture, end_, texture_end) ||
            !enter(chunk_struct, texture_end, struct_end) ||
            !read(header, sizeof header, struct_end)) {
            return dictionary_fault::sizes_disagree;
        }
        const raster_blocks blocks = blocks_of(u32_at(header + pixel_format_at));
        if (blocks.side == 0) {
            return dictionary_fault::unknown_raster;
        }
        const std::uint32_t width = u16_at(header + width_at);
        const std::uint32_t height = u16_at(header + height_at);
        const std::uint32_t levels = header[level_count_at];
        if (width == 0 || height == 0 || levels == 0 || levels > whole_chain(width, height)) {
            return dictionary_fault::sizes_disagree;
        }
        for (std::uint32_t level = 0; level < levels; ++level) {
            unsigned char count[4];
            if (!read(count, sizeof count, struct_end) ||
                u32_at(count) != level_bytes(blocks, width, height, static_cast<int>(level)) ||
                u32_at(count) > struct_end - at_) {
                return dictionary_fault::sizes_disagree;
            }
            at_ += u32_at(count); // the artwork itself is not read
        }
        if (at_ != struct_end) {
            return dictionary_fault::sizes_disagree;
        }
        if (header_verdict.fault == dictionary_fault::none) {
            header_verdict.fault = texture_header_fault(header);
            header_verdict.levels = static_cast<std::uint8_t>(levels);
            header_verdict.whole_chain = static_cast<std::uint8_t>(whole_chain(width, height));
        }
        return extension(texture_end);
    }

    // The chunk that closes a texture or the dictionary, last in its parent.
    // Our files leave it empty; other tools put plug-in chunks in it (a
    // texture's sky-mipmap chunk, type 0x110), which the host's reader reads
    // or skips by their sizes: so each must lie within the extension, and
    // the extension hold nothing else.
    dictionary_fault extension(std::uint32_t parent_end) {
        std::uint32_t end = 0;
        if (!enter(chunk_extension, parent_end, end) || end != parent_end) {
            return dictionary_fault::sizes_disagree;
        }
        for (std::uint32_t chunks = 0; at_ != end; ++chunks) {
            std::uint32_t plugin_end = 0;
            if (chunks == most_plugin_chunks || !enter_any(end, plugin_end)) {
                return dictionary_fault::sizes_disagree;
            }
            at_ = plugin_end; // the plug-in's data is not read
        }
        return dictionary_fault::none;
    }

    // The chunk header where the walk stands, of this type and ending by
    // parent_end; the walk then stands at its body, which ends at `end`.
    // Inside a dictionary of the file's length, a chunk out of place or too
    // long is one whose own size or its parent's (or count) lies.
    bool enter(std::uint32_t type, std::uint32_t parent_end, std::uint32_t& end) {
        std::uint32_t found = 0;
        return enter_any(parent_end, end, &found) && found == type;
    }

    // A chunk of any type, as in an extension; its type in *type.
    bool enter_any(std::uint32_t parent_end, std::uint32_t& end, std::uint32_t* type = nullptr) {
        unsigned char header[chunk_header_size];
        if (!read(header, sizeof header, parent_end) || u32_at(header + 4) > parent_end - at_) {
            return false;
        }
        other_stamp_ = other_stamp_ || u32_at(header + 8) != version_stamp;
        end = at_ + u32_at(header + 4);
        if (type != nullptr) {
            *type = u32_at(header);
        }
        return true;
    }

    bool read(unsigned char* bytes, std::uint32_t count, std::uint32_t end) {
        if (count > end - at_ || !file_.read(at_, bytes, count)) {
            return false;
        }
        at_ += count;
        return true;
    }

    const header_reads& file_;
    const std::uint32_t length_;
    std::uint32_t end_ = 0; // of the dictionary chunk
    std::uint32_t at_ = 0;
    bool other_stamp_ = false;
};

dictionary_verdict check_file(const header_reads& file) {
    if (!file.opened()) {
        return {file.missing() ? dictionary_fault::missing : dictionary_fault::unopened};
    }
    if (file.size() > largest_dictionary) {
        return {dictionary_fault::too_large};
    }
    if (file.size() == 0) {
        return {dictionary_fault::empty};
    }
    return chunk_walk(file, static_cast<std::uint32_t>(file.size())).dictionary();
}

// The words of every fault but a partial chain, whose counts come first.
const char* fixed_words(dictionary_fault fault) {
    switch (fault) {
    case dictionary_fault::none:
        break;
    case dictionary_fault::missing:
        return "is missing";
    case dictionary_fault::unopened:
        return "could not be opened";
    case dictionary_fault::too_large:
        return "is larger than 64 MB";
    case dictionary_fault::empty:
        return "is empty (copied only in part?)";
    case dictionary_fault::not_a_dictionary:
        return "is not a texture dictionary (a picture renamed, or saved by another program?)";
    case dictionary_fault::cut_short:
        return "ends before its artwork does (copied only in part?)";
    case dictionary_fault::sizes_disagree:
        return "has artwork whose sizes do not agree (damaged?)";
    case dictionary_fault::unknown_raster:
        return "holds artwork neither in 32-bit colour nor in DXT1, DXT3 or DXT5";
    case dictionary_fault::too_many_textures:
        return "holds more than 16 textures, where a gauge's dictionary holds one";
    case dictionary_fault::other_version:
        return "was written for another version of the game's format (by another program?)";
    case dictionary_fault::other_platform:
        return "was made for another platform than the game's (by another program?)";
    case dictionary_fault::unread_layout:
        return "holds artwork with a palette, as a cube map, with levels left to the graphics card "
               "to make or with sides over 4096, which the game does not read";
    case dictionary_fault::header_disagrees:
        return "has a texture header that does not agree with its artwork (damaged, or saved by "
               "another program?)";
    case dictionary_fault::partial_chain:
        return " levels, where the game takes one level or every level (saved by another program?)";
    }
    return "";
}

} // namespace

dictionary_verdict check_dictionary(const char* path) {
    return check_file(header_reads(path));
}

dictionary_verdict check_dictionary(const wchar_t* path) {
    return check_file(header_reads(path));
}

dictionary_words words_of(const dictionary_verdict& verdict) {
    dictionary_words words;
    if (verdict.fault == dictionary_fault::partial_chain) {
        _snprintf(words.text, sizeof words.text - 1, "has %u of the %u%s", unsigned{verdict.levels},
                  unsigned{verdict.whole_chain}, fixed_words(verdict.fault));
    } else {
        std::strncpy(words.text, fixed_words(verdict.fault), sizeof words.text - 1);
    }
    return words;
}
