#include "dictionary_pair.hpp"

#include "settings/skin_name.hpp"
#include "utf8_path.hpp"

namespace preview {

namespace {

struct face_of_file {
    bool known = false;
    std::string skin; // empty: the shipped artwork
    bool mph = false;
};

// The shipped artwork's files pair as a skin's do.
face_of_file face_of(const std::filesystem::path& dictionary) {
    const std::string file = skin::utf8_text(dictionary.filename());
    face_of_file face;
    char name[skin_name_max + 1];
    if (skin_of_dictionary_file(file, name, face.mph)) {
        face.known = true;
        face.skin = name;
        return face;
    }
    std::string lower;
    for (const char c : file)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    face.known = lower == "speedometer.txd" || lower == "speedometer_mph.txd";
    face.mph = lower == "speedometer_mph.txd";
    return face;
}

std::filesystem::path file_of(const face_of_file& face, const std::filesystem::path& folder) {
    if (face.skin.empty())
        return folder / (face.mph ? "speedometer_mph.txd" : "speedometer.txd");
    char file[skin_dictionary_file_capacity];
    write_skin_dictionary_file(file, face.skin.c_str(), face.mph);
    return folder / file;
}

bool is_png(const std::filesystem::path& path) {
    std::string extension = skin::utf8_text(path.extension());
    for (char& c : extension)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return extension == ".png";
}

std::string face_name(bool mph) {
    return mph ? "mph" : "km/h";
}

} // namespace

std::optional<std::filesystem::path> other_face(const std::filesystem::path& dictionary) {
    face_of_file face = face_of(dictionary);
    if (!face.known)
        return std::nullopt;
    face.mph = !face.mph;
    return file_of(face, dictionary.parent_path());
}

skin_dictionaries pair_dictionaries(const std::vector<std::filesystem::path>& given) {
    skin_dictionaries pair;
    if (given.empty() || given.size() > 2) {
        pair.refusal = std::to_string(given.size()) +
                       " files given; give one skin's dictionaries: its km/h one, its mph one "
                       "or both";
        return pair;
    }
    std::vector<face_of_file> faces;
    for (const std::filesystem::path& path : given) {
        const std::string shown = skin::utf8_text(path);
        if (is_png(path)) {
            pair.refusal = shown +
                           " is a picture, not a dictionary: drop it on speedometer_skin.exe, "
                           "which packs it and then draws this sheet";
            return pair;
        }
        faces.push_back(face_of(path));
        if (!faces.back().known) {
            pair.refusal = shown +
                           ": the game loads a skin only from speedometer_NAME.txd (its mph face "
                           "speedometer_NAME_mph.txd), NAME " +
                           skin_name_rule + "; rename the file, or pack the PNG again";
            return pair;
        }
    }
    if (faces.size() == 2 && faces[0].mph == faces[1].mph) {
        pair.refusal = "both are " + face_name(faces[0].mph) + " dictionaries; give a skin's " +
                       "km/h one and its mph one";
        return pair;
    }
    if (faces.size() == 2 && faces[0].skin != faces[1].skin) {
        pair.refusal = skin::utf8_text(given[0].filename()) + " and " +
                       skin::utf8_text(given[1].filename()) +
                       " belong to two skins; the game pairs a skin's km/h and mph faces by "
                       "the name";
        return pair;
    }
    pair.skin = faces[0].skin;
    for (std::size_t i = 0; i < given.size(); ++i)
        (faces[i].mph ? pair.mph : pair.kmh) = given[i];
    if (given.size() == 1) {
        const std::filesystem::path other = *other_face(given[0]);
        std::error_code ignored;
        if (std::filesystem::is_regular_file(other, ignored)) {
            (faces[0].mph ? pair.kmh : pair.mph) = other;
            pair.picked_up = "with its " + face_name(!faces[0].mph) + " face " +
                             skin::utf8_text(other) + ", found beside it";
        }
    }
    return pair;
}

} // namespace preview
