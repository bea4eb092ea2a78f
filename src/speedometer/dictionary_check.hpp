#pragma once
// What a texture dictionary file is like before the host is handed its path.
// The host's reader trusts the file's sizes: a download cut short, a file
// saved by another tool or a picture renamed .txd can take the game down with
// it at a new game. So the file is looked into first, headers only.
#include <cstdint>

enum class dictionary_fault : std::uint8_t {
    none,
    missing,
    unopened,
    too_large,
    empty,
    not_a_dictionary,
    cut_short,
    sizes_disagree,
    unknown_raster,
    too_many_textures,
    other_version,
    other_platform,
    unread_layout,
    header_disagrees,
    partial_chain,
};

// What the check found. A texture that stores its mip levels but stops short
// of the whole chain carries its counts, which its words name: a skin maker
// then knows to export every level, not that the file is damaged.
struct dictionary_verdict {
    dictionary_fault fault = dictionary_fault::none;
    std::uint8_t levels = 0;      // stored
    std::uint8_t whole_chain = 0; // that its sides take
};

// Larger than any dictionary a skin can be (4096 by 2048 in 32-bit colour
// with every level is 44.7 MB).
inline constexpr std::uint32_t largest_dictionary = 64u << 20;
// A gauge draws from one texture; more are refused before any is looked at,
// so that the check's cost stays that of a few dozen reads.
inline constexpr std::uint32_t most_textures = 16;
// Tools write one or two plug-in chunks in an extension; more are refused, so
// that an extension of empty chunks cannot make the check read a file
// megabytes a dozen bytes at a time.
inline constexpr std::uint32_t most_plugin_chunks = 16;

// Reads the file at path (relative to the current folder, as the host reads
// it) a header at a time and walks its chunk tree: every chunk within its
// parent and the dictionary, each with the host's version stamp; every
// texture's levels of the byte count its raster's format and sizes take, and
// every header field the host's reader branches on agreeing with them
// (texture_header_check.hpp). Any dictionary of the host's layout passes:
// 32-bit or DXT1, DXT3, DXT5, one level or the whole chain, of up to 16
// textures and sides up to 4096, followed by anything (the zeros that pad a
// file taken out of an archive) up to the bound. The extensions that close a
// texture and the dictionary may hold other tools' plug-in chunks, each
// within its extension, as the host's reader skips them. For new games only:
// it opens the file and reads it a few dozen times.
dictionary_verdict check_dictionary(const char* path);
// The same for a path in UTF-16, as the skin kit's tools have them.
dictionary_verdict check_dictionary(const wchar_t* path);

// What is wrong, in words that follow the file's name in a log line ("ends
// before its artwork does (copied only in part?)", "has 6 of the 8 levels,
// ..."); empty for none.
struct dictionary_words {
    char text[192] = {};
};
dictionary_words words_of(const dictionary_verdict& verdict);

// A file that is there and could be opened, but that the host must not be
// trusted with.
inline bool is_damaged(dictionary_fault fault) {
    return fault != dictionary_fault::none && fault != dictionary_fault::missing &&
           fault != dictionary_fault::unopened;
}
