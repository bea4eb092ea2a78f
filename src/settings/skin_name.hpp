#pragma once
// A skin's name, the one rule shared by the module, the packer and the
// previewer: which names the game takes, the dictionary files a name loads,
// the name a skin maker's PNG makes, and the skin a dictionary file belongs to.
#include "settings/settings.hpp"

#include <cstddef>
#include <string_view>

// For skin makers and players, in messages: the same words as the readmes.
inline constexpr const char skin_name_rule[] =
    "1 to 32 letters a-z, digits, _ and -, not none, not mph and not ending in _mph";

// Skins the package ships: a skin maker's own skin never takes their names.
inline constexpr std::string_view shipped_skin_names[] = {"light"};

// speedometer_NAME.txd or speedometer_NAME_mph.txd, with its zero.
inline constexpr std::size_t skin_dictionary_file_capacity =
    sizeof "speedometer_" - 1 + skin_name_max + sizeof "_mph.txd";

// True for "none" in any case: the shipped artwork, no skin.
bool names_shipped_artwork(std::string_view value);

// True for a name of 1 to 32 letters (any case), digits, '_' and '-' that is
// not "none" (the shipped artwork), not "mph" and not ending in "_mph" (both
// would load a face instead of a skin). Nothing else can reach a file name:
// no dot, slash, colon or space.
bool is_skin_name(std::string_view name);

// Writes the dictionary's file name for a skin name the game took, in the
// name's case, into `file`, which holds skin_dictionary_file_capacity bytes.
void write_skin_dictionary_file(char* file, const char* name, bool mph);

// The skin a dictionary file (a file name, no folder) belongs to: true, with
// the name in lower case and whether it is the mph face, for a file the game
// loads for some skin; false for any other file, among them the shipped
// speedometer.txd and speedometer_mph.txd. Letter case does not matter, as in
// Windows file names.
bool skin_of_dictionary_file(std::string_view file, char (&name)[skin_name_max + 1], bool& mph);

// Why a file's name made the skin name it did.
enum class skin_name_source : unsigned char {
    letters,        // its letters and digits, lower case, Cyrillic written in Latin
    other_script,   // it has letters of another script: the Latin part and a hash
    cyrillic_alike, // Cyrillic another spelling writes alike (ь, э, йо): Latin and a hash
    too_long,       // cut to 25 characters and a hash
    not_a_name,     // nothing left, or mph, or ending in _mph: a hash added
    shipped,        // none or a shipped skin's name: a hash added
};

struct skin_name_of_file {
    char name[skin_name_max + 1] = {}; // always one is_skin_name takes
    bool mph = false;                  // the file's name ended in _mph: the mph face
    skin_name_source source = skin_name_source::letters;
};

// One code point of UTF-8 text, from at, which it moves past it; a byte
// that starts no valid sequence is a code point of its own (U+FFFD), outside
// every table of the name rule.
char32_t next_code_point(std::string_view text, std::size_t& at);

// The skin a file's name (UTF-8, without folder or extension) makes:
// - a final "mph" after a name and `_`, `-`, a space or other separator
//   marks the mph face, and the rest makes the name, so NAME.png and
//   NAME_mph.png pair; a leading "speedometer_" goes, so that
//   speedometer_NAME.png makes NAME too;
// - letters a-z and digits in lower case, `_` and `-` kept, Cyrillic written
//   in Latin by a fixed table; each run of anything else one `_`, none at
//   the start or the end;
// - when that is not a name of its own (letters of another script were
//   dropped; Cyrillic letters were written as another Cyrillic spelling
//   writes them: ъ, ь, ы, э, є, і, ї, ў, ґ, or йа, йо, йу, тс, шч; it is
//   longer than 32, empty, mph, ends in _mph, is none or a shipped skin),
//   its first 25 characters ("skin" when empty), `-` and six hex digits of
//   a hash of the name part of the file's name, in whatever case.
// So the same file always makes the same name, and files whose names differ
// in more than letter case, the separators between words or Cyrillic
// letters for the Latin ones they are written in make different names.
skin_name_of_file skin_name_for_file(std::string_view stem);
