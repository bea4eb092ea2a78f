#include "settings/skin_name.hpp"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::string_view mph_ending = "_mph";
constexpr std::string_view file_start = "speedometer_";
constexpr std::string_view file_end = ".txd";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool allowed_in_name(char c) {
    c = lower(c);
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// string_view::substr throws on a start past the end, and that alone would
// link the run-time's exceptions and strings into the module; every caller
// here has checked the sizes.
std::string_view slice(std::string_view text, std::size_t at,
                       std::size_t count = std::string_view::npos) {
    at = at < text.size() ? at : text.size();
    const std::size_t left = text.size() - at;
    return {text.data() + at, count < left ? count : left};
}

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool ends_in_mph_face(std::string_view name) {
    return name.size() >= mph_ending.size() &&
           same_letters(slice(name, name.size() - mph_ending.size()), mph_ending);
}

// а to я: a fixed table, so a name never changes with the machine.
constexpr const char* cyrillic_latin[] = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya",
};

// The small letter of a Cyrillic capital, U+0400 to U+052F; any other code
// point as it is.
char32_t cyrillic_lower(char32_t c) {
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c == 0x4C0)
        return 0x4CF;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return c | 1;
    if (c >= 0x4C1 && c <= 0x4CE && (c & 1) != 0)
        return c + 1;
    return c;
}

// Capitals of other scripts a file's name may hold, each range to its small
// letters: by a table of this program's own, since the system's folding
// differs between Windows versions and a name must never change with them.
// Step 1 maps every code point of the range by the offset; step 2 maps each
// pair's first (the capital) to the one after it.
struct capital_range {
    char32_t first, last;
    int offset;
    int step;
};
constexpr capital_range capital_ranges[] = {
    {0x00C0, 0x00D6, 0x20, 1},    {0x00D8, 0x00DE, 0x20, 1}, {0x0100, 0x012F, 1, 2},
    {0x0132, 0x0137, 1, 2},       {0x0139, 0x0148, 1, 2},    {0x014A, 0x0177, 1, 2},
    {0x0178, 0x0178, -0x79, 1},   {0x0179, 0x017E, 1, 2},    {0x01CD, 0x01DC, 1, 2},
    {0x01DE, 0x01EF, 1, 2},       {0x01F8, 0x021F, 1, 2},    {0x0222, 0x0233, 1, 2},
    {0x0386, 0x0386, 0x26, 1},    {0x0388, 0x038A, 0x25, 1}, {0x038C, 0x038C, 0x40, 1},
    {0x038E, 0x038F, 0x3F, 1},    {0x0391, 0x03A1, 0x20, 1}, {0x03A3, 0x03AB, 0x20, 1},
    {0x03D8, 0x03EF, 1, 2},       {0x0531, 0x0556, 0x30, 1}, {0x1E00, 0x1E95, 1, 2},
    {0x1E9E, 0x1E9E, -0x1DBF, 1}, {0x1EA0, 0x1EFF, 1, 2},    {0xFF21, 0xFF3A, 0x20, 1},
};

// The small letter of a capital of Latin (ASCII and accented), Greek,
// Cyrillic or Armenian; any other code point as it is.
char32_t small_letter(char32_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(lower(static_cast<char>(c)));
    if (c >= 0x400 && c <= 0x52F)
        return cyrillic_lower(c);
    for (const capital_range& r : capital_ranges)
        if (c >= r.first && c <= r.last && (c - r.first) % r.step == 0)
            return static_cast<char32_t>(static_cast<int>(c) + r.offset);
    return c;
}

// The Latin letters of a small Cyrillic letter, or nullptr for any other
// code point.
const char* latin_of_cyrillic(char32_t c) {
    if (c >= 0x430 && c <= 0x44F)
        return cyrillic_latin[c - 0x430];
    switch (c) {
    case 0x451:
        return "yo";
    case 0x454:
        return "ye";
    case 0x456:
        return "i";
    case 0x457:
        return "yi";
    case 0x45E:
        return "u";
    case 0x491:
        return "g";
    default:
        return nullptr;
    }
}

// Small Cyrillic letters whose Latin letters another letter also writes, or
// none: ъ and ь (nothing), ы (y, as й), э (e, as е), є (ye, as йе), і (i, as
// и), ї (yi, as йи), ў (u, as у), ґ (g, as г).
bool written_alike(char32_t c) {
    switch (c) {
    case 0x44A:
    case 0x44B:
    case 0x44C:
    case 0x44D:
    case 0x454:
    case 0x456:
    case 0x457:
    case 0x45E:
    case 0x491:
        return true;
    default:
        return false;
    }
}

// Two small Cyrillic letters in a row whose Latin letters one letter also
// writes: йа, йо, йу (ya, yo, yu as я, ё, ю), тс (ts as ц), шч (shch as щ).
// Without these and the letters above, Latin letters read back one way only.
bool pair_written_as_one(char32_t first, char32_t second) {
    return (first == 0x439 && (second == 0x430 || second == 0x43E || second == 0x443)) ||
           (first == 0x442 && second == 0x441) || (first == 0x448 && second == 0x447);
}

// A letter, digit or '-' of a name; '_' and everything else separate words.
bool in_word(char32_t c) {
    return (c < 0x80 && c != '_' && allowed_in_name(static_cast<char>(c))) ||
           latin_of_cyrillic(cyrillic_lower(c)) != nullptr;
}

// The Latin part of a name: its first skin_name_max characters, and how long
// it is whole.
struct latin_text {
    char text[skin_name_max + 1] = {};
    std::size_t length = 0;
    bool separator_pending = false;
    bool other_script = false;
    bool cyrillic_lost = false; // another Cyrillic spelling writes the same letters

    void put(char c) {
        if (separator_pending && length > 0)
            put_now('_');
        separator_pending = false;
        put_now(c);
    }
    void put_now(char c) {
        if (length < skin_name_max)
            text[length] = c;
        ++length;
    }
};

// FNV-1a over the code points, capitals as small letters (small_letter): the
// same name part hashes the same on every machine and whatever its case.
std::uint32_t name_hash(std::string_view part) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t at = 0; at < part.size();) {
        const char32_t c = small_letter(next_code_point(part, at));
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (c >> shift) & 0xFF;
            hash *= 16777619u;
        }
    }
    return hash;
}

bool is_taken(std::string_view name) {
    if (names_shipped_artwork(name))
        return true;
    for (const std::string_view shipped : shipped_skin_names)
        if (same_letters(name, shipped))
            return true;
    return false;
}

} // namespace

char32_t next_code_point(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    const std::size_t length = first < 0x80         ? 1
                               : (first >> 5) == 6  ? 2
                               : (first >> 4) == 14 ? 3
                               : (first >> 3) == 30 ? 4
                                                    : 0;
    if (length <= 1 || at + length > text.size()) {
        ++at;
        return length == 1 ? first : 0xFFFD;
    }
    char32_t c = first & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) >> 6) != 2) {
            ++at;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return c;
}

bool names_shipped_artwork(std::string_view value) {
    return same_letters(value, "none");
}

bool is_skin_name(std::string_view name) {
    if (name.empty() || name.size() > skin_name_max)
        return false;
    for (const char c : name)
        if (!allowed_in_name(c))
            return false;
    return !names_shipped_artwork(name) && !same_letters(name, "mph") && !ends_in_mph_face(name);
}

void write_skin_dictionary_file(char* file, const char* name, bool mph) {
    std::memcpy(file, file_start.data(), file_start.size());
    char* end = file + file_start.size();
    for (; *name != '\0'; ++name)
        *end++ = *name;
    const std::string_view ending = mph ? "_mph.txd" : ".txd";
    std::memcpy(end, ending.data(), ending.size());
    end[ending.size()] = '\0';
}

bool skin_of_dictionary_file(std::string_view file, char (&name)[skin_name_max + 1], bool& mph) {
    mph = false;
    if (file.size() <= file_start.size() + file_end.size() ||
        !same_letters(slice(file, 0, file_start.size()), file_start) ||
        !same_letters(slice(file, file.size() - file_end.size()), file_end))
        return false;
    std::string_view skin =
        slice(file, file_start.size(), file.size() - file_start.size() - file_end.size());
    mph = ends_in_mph_face(skin);
    if (mph)
        skin.remove_suffix(mph_ending.size());
    if (!is_skin_name(skin))
        return false;
    for (std::size_t i = 0; i < skin.size(); ++i)
        name[i] = lower(skin[i]);
    name[skin.size()] = '\0';
    return true;
}

skin_name_of_file skin_name_for_file(std::string_view stem) {
    skin_name_of_file result;
    // The face: "mph" at the end after a name and one separator ('-' too),
    // which goes with it. "mph" alone, or after a separator alone, is a name.
    std::string_view part = stem;
    if (stem.size() > 3 && same_letters(slice(stem, stem.size() - 3), "mph")) {
        const std::size_t face = stem.size() - 3;
        std::size_t at = 0, before = 0;
        bool separated = false;
        while (at < face) {
            before = at;
            const char32_t c = next_code_point(stem, at);
            separated = at == face && (!in_word(c) || c == '-');
        }
        if (separated && before > 0) {
            result.mph = true;
            part = slice(stem, 0, before);
        }
    }
    // A PNG named as the dictionary it makes: the name after the prefix.
    if (part.size() > file_start.size() &&
        same_letters(slice(part, 0, file_start.size()), file_start))
        part = slice(part, file_start.size());
    latin_text latin;
    char32_t previous = 0; // the Cyrillic letter just before, in lower case
    for (std::size_t at = 0; at < part.size();) {
        const char32_t c = cyrillic_lower(next_code_point(part, at));
        const char* letters = latin_of_cyrillic(c);
        if (letters != nullptr)
            latin.cyrillic_lost =
                latin.cyrillic_lost || written_alike(c) || pair_written_as_one(previous, c);
        previous = letters != nullptr ? c : 0;
        if (c < 0x80 && allowed_in_name(static_cast<char>(c))) {
            latin.put(lower(static_cast<char>(c)));
        } else if (letters != nullptr) {
            for (; *letters != '\0'; ++letters)
                latin.put(*letters);
        } else {
            latin.separator_pending = true;
            latin.other_script = latin.other_script || c >= 0x80;
        }
    }
    const std::string_view text(latin.text,
                                latin.length < skin_name_max ? latin.length : skin_name_max);
    if (latin.other_script)
        result.source = skin_name_source::other_script;
    else if (latin.cyrillic_lost)
        result.source = skin_name_source::cyrillic_alike;
    else if (latin.length > skin_name_max)
        result.source = skin_name_source::too_long;
    else if (is_taken(text))
        result.source = skin_name_source::shipped;
    else if (!is_skin_name(text))
        result.source = skin_name_source::not_a_name;
    if (result.source == skin_name_source::letters) {
        std::memcpy(result.name, text.data(), text.size());
        return result;
    }
    // Never a name of its own: the hash tells apart files whose Latin parts
    // agree, and ends the name in hex digits, never in _mph.
    constexpr std::size_t kept = skin_name_max - 7;
    const std::string_view start = text.empty() ? "skin" : slice(text, 0, kept);
    std::memcpy(result.name, start.data(), start.size());
    const std::uint32_t hash = name_hash(part);
    const std::uint32_t folded = (hash >> 24) ^ (hash & 0xFFFFFF);
    char* digits = result.name + start.size();
    *digits++ = '-';
    for (int shift = 20; shift >= 0; shift -= 4)
        *digits++ = "0123456789abcdef"[(folded >> shift) & 0xF];
    return result;
}
