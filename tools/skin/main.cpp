// speedometer_skin: packs a skin's PNG into the dictionary the speedometer
// loads with skin = NAME (models\speedometer_NAME.txd, or _NAME_mph.txd).
#include "preview_launch.hpp"
#include "skin_pack.hpp"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    skin::pack_request request;
    bool preview = false;
    int arg = 1;
    for (; arg < argc && std::string_view(argv[arg]).starts_with("--"); ++arg) {
        if (std::string_view(argv[arg]) == "--32bit")
            request.uncompressed = true;
        else if (std::string_view(argv[arg]) == "--preview")
            preview = true;
        else
            break;
    }
    if (argc - arg != 2) {
        std::fprintf(stderr,
                     "usage: speedometer_skin [--32bit] [--preview] SKIN.png DICTIONARY.txd\n");
        return 2;
    }
    request.png_path = argv[arg];
    request.dictionary_path = argv[arg + 1];
    const int packed = skin::pack_skin(request, stdout, stderr);
    return packed == 0 && preview ? skin::launch_preview(request.dictionary_path) : packed;
}
