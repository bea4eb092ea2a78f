#include "dropped_png.hpp"

#include "utf8_path.hpp"

namespace skin {

std::string dictionary_file_name(const std::string& name, bool mph) {
    char file[skin_dictionary_file_capacity];
    write_skin_dictionary_file(file, name.c_str(), mph);
    return file;
}

dropped_skin skin_for_png(const std::string& png_path) {
    const std::filesystem::path png = utf8_path(png_path);
    const std::string stem = utf8_text(png.stem());
    const skin_name_of_file made = skin_name_for_file(stem);
    dropped_skin skin;
    skin.name = made.name;
    skin.mph = made.mph;
    skin.source = made.source;
    skin.renamed = skin.name + (skin.mph ? "_mph" : "") != stem;
    skin.dictionary_path =
        utf8_text(png.parent_path() / utf8_path(dictionary_file_name(skin.name, skin.mph)));
    return skin;
}

} // namespace skin
