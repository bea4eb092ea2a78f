// speedometer_skin: packs a skin's PNG into the dictionary the speedometer
// loads with skin = NAME (models\speedometer_NAME.txd, or _NAME_mph.txd).
#include "skin_pack.hpp"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    skin::pack_request request;
    int arg = 1;
    if (arg < argc && std::string_view(argv[arg]) == "--32bit") {
        request.uncompressed = true;
        ++arg;
    }
    if (argc - arg != 2) {
        std::fprintf(stderr, "usage: speedometer_skin [--32bit] SKIN.png DICTIONARY.txd\n");
        return 2;
    }
    request.png_path = argv[arg];
    request.dictionary_path = argv[arg + 1];
    return skin::pack_skin(request, stdout, stderr);
}
