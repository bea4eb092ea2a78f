// speedometer_skin: packs a skin's PNG into the dictionary the speedometer
// loads with skin = NAME (models\speedometer_NAME.txd, or _NAME_mph.txd).
// A PNG dropped on the program arrives as its one argument: the dictionary
// then goes beside it, named for the skin, and its preview sheet beside that.
#include "console.hpp"
#include "dropped_png.hpp"
#include "preview_launch.hpp"
#include "skin_pack.hpp"
#include "utf8_path.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

int pack_dropped(skin::pack_request request) {
    const skin::dropped_skin skin = skin::skin_for_png(request.png_path);
    if (skin.renamed)
        skin::print(stdout,
                    "note: a skin's name is 1 to 32 of a-z, 0-9, _ and -, so this PNG makes "
                    "the skin \"%s\"%s\n",
                    skin.name.c_str(), skin.mph ? " (its mph face)" : "");
    request.dictionary_path = skin.dictionary_path;
    const int status = skin::pack_skin(request, stdout, stderr);
    if (status != 0)
        return status;
    skin::print(stdout,
                "to use it: copy it into the game's models folder and set skin = %s in "
                "speedometer.ini\n",
                skin.name.c_str());
    return skin::launch_preview(request.png_path, skin.dictionary_path, false);
}

int run(const std::vector<std::string>& arguments) {
    skin::pack_request request;
    bool preview = false, watch = false;
    std::size_t arg = 0;
    for (; arg < arguments.size() && arguments[arg].starts_with("--"); ++arg) {
        if (arguments[arg] == "--32bit")
            request.uncompressed = true;
        else if (arguments[arg] == "--preview")
            preview = true;
        else if (arguments[arg] == "--watch")
            watch = true;
        else
            break;
    }
    // The previewer packs and draws at each save: one process for the session.
    if (watch && arguments.size() - arg == 1)
        return skin::launch_watch(arguments[arg], request.uncompressed);
    // A dropped PNG is always previewed: the sheet is what its maker wants to see.
    if (arguments.size() - arg == 1) {
        request.png_path = arguments[arg];
        return pack_dropped(request);
    }
    if (arguments.size() - arg != 2) {
        skin::print(stderr,
                    "usage: speedometer_skin [--32bit] [--preview] SKIN.png [DICTIONARY.txd]\n"
                    "       speedometer_skin [--32bit] --watch SKIN.png\n"
                    "  (or drop a PNG on speedometer_skin.exe)\n");
        return 2;
    }
    request.png_path = arguments[arg];
    request.dictionary_path = arguments[arg + 1];
    const int packed = skin::pack_skin(request, stdout, stderr);
    return packed == 0 && preview
               ? skin::launch_preview(request.png_path, request.dictionary_path, true)
               : packed;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    int status = 1;
    try {
        arguments = skin::utf8_arguments(argc, argv);
        status = run(arguments);
    } catch (const std::bad_alloc&) {
        skin::print(stderr, "refused: not enough memory to pack this skin\n");
    } catch (const std::exception& e) {
        skin::print(stderr, "refused: %s\n", e.what());
    } catch (...) {
        skin::print(stderr, "refused: an unexpected error stopped the packer\n");
    }
    // Explorer starts it with no argument (a double click) or one (a dropped
    // PNG); from a command prompt the window stays anyway.
    if (arguments.size() <= 1 && skin::console_closes_with_program()) {
        if (arguments.size() == 1 && status == 0 && skin::offer_watch(arguments[0]))
            status = skin::launch_watch(arguments[0], false);
        else
            skin::wait_for_key();
    }
    return status;
}
