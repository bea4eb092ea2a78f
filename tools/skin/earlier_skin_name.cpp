#include "earlier_skin_name.hpp"

#include "settings/skin_name.hpp"

#include <cstdint>

namespace skin {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool allowed(char c) {
    c = lower(c);
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

constexpr const char* cyrillic_latin[] = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya",
};

// 1.2.0 folded only А-Я to а-я: its other capitals stayed as they were.
const char* latin_of(char32_t c) {
    if (c >= 0x410 && c <= 0x42F)
        c += 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return cyrillic_latin[c - 0x430];
    switch (c) {
    case 0x401:
    case 0x451:
        return "yo";
    case 0x404:
    case 0x454:
        return "ye";
    case 0x406:
    case 0x456:
        return "i";
    case 0x407:
    case 0x457:
        return "yi";
    case 0x40E:
    case 0x45E:
        return "u";
    case 0x490:
    case 0x491:
        return "g";
    default:
        return nullptr;
    }
}

bool in_word(char32_t c) {
    return (c < 0x80 && c != '_' && allowed(static_cast<char>(c))) || latin_of(c) != nullptr;
}

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::uint32_t hash_of(std::string_view part) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t at = 0; at < part.size();) {
        char32_t c = next_code_point(part, at);
        if (c < 0x80)
            c = static_cast<unsigned char>(lower(static_cast<char>(c)));
        else if (c >= 0x410 && c <= 0x42F)
            c += 0x20;
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (c >> shift) & 0xFF;
            hash *= 16777619u;
        }
    }
    return hash;
}

} // namespace

earlier_skin earlier_skin_name(std::string_view stem) {
    earlier_skin earlier;
    std::string_view part = stem;
    if (stem.size() >= 3 && same_letters(stem.substr(stem.size() - 3), "mph")) {
        const std::size_t face = stem.size() - 3;
        std::size_t at = 0, before = 0;
        bool separated = face == 0;
        while (at < face) {
            before = at;
            separated = !in_word(next_code_point(stem, at)) && at == face;
        }
        if (separated) {
            earlier.mph = true;
            part = stem.substr(0, face == 0 ? 0 : before);
        }
    }
    std::string latin;
    bool pending = false, other_script = false;
    for (std::size_t at = 0; at < part.size();) {
        const char32_t c = next_code_point(part, at);
        const bool ascii = c < 0x80 && allowed(static_cast<char>(c));
        const char* letters = ascii ? nullptr : latin_of(c);
        if (ascii || letters != nullptr) {
            // A letter written as none (ъ, ь) puts nothing, the separator
            // before it waiting for the next letter.
            const std::string put = ascii ? std::string(1, lower(static_cast<char>(c))) : letters;
            if (pending && !latin.empty() && !put.empty())
                latin += '_';
            pending = pending && put.empty();
            latin += put;
        } else {
            pending = true;
            other_script = other_script || c >= 0x80;
        }
    }
    bool shipped = names_shipped_artwork(latin);
    for (const std::string_view name : shipped_skin_names)
        shipped = shipped || same_letters(latin, name);
    if (!other_script && latin.size() <= skin_name_max && !shipped && is_skin_name(latin)) {
        earlier.name = latin;
        return earlier;
    }
    std::string name = latin.empty() ? "skin" : latin.substr(0, skin_name_max - 7);
    const std::uint32_t hash = hash_of(part);
    const std::uint32_t folded = (hash >> 24) ^ (hash & 0xFFFFFF);
    name += '-';
    for (int shift = 20; shift >= 0; shift -= 4)
        name += "0123456789abcdef"[(folded >> shift) & 0xF];
    earlier.name = name;
    return earlier;
}

} // namespace skin
