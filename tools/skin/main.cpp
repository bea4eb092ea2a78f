// speedometer_skin: packs a skin's PNG into the dictionary the speedometer
// loads with skin = NAME (models\speedometer_NAME.txd, or _NAME_mph.txd).
// A PNG dropped on the program arrives as its one argument: the dictionary
// then goes beside it, named for the skin, and its preview sheet beside that.
#include "command_line.hpp"
#include "console.hpp"
#include "dictionary_target.hpp"
#include "preview_launch.hpp"
#include "skin_pack.hpp"
#include "utf8_path.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

int pack(skin::packer_command command) {
    const skin::dictionary_target target =
        skin::target_for(command.request.png_path, command.request.dictionary_path);
    if (!target.refusal.empty()) {
        skin::print(stderr, "refused: %s\n", target.refusal.c_str());
        return 1;
    }
    command.request.dictionary_path = target.path;
    command.request.notes = target.notes;
    const int status = skin::pack_skin(command.request, stdout, stderr);
    if (status != 0)
        return status;
    skin::print(stdout,
                "to use it: copy it into the game's models folder and set skin = %s in "
                "speedometer.ini\n",
                target.skin.c_str());
    return command.preview ? skin::launch_preview(command.request.png_path, target.path,
                                                  command.action == skin::packer_action::pack)
                           : 0;
}

int run(const skin::packer_command& command) {
    switch (command.action) {
    case skin::packer_action::help:
        skin::print(stdout, "%s", skin::packer_help);
        return 0;
    case skin::packer_action::version:
        skin::print(stdout, "speedometer_skin %s, the skin packer of the speedometer's kit\n",
                    SPEEDOMETER_VERSION);
        return 0;
    case skin::packer_action::usage:
        skin::print(stderr,
                    "usage: speedometer_skin [--32bit] [--preview] SKIN.png [DICTIONARY.txd | "
                    "FOLDER]\n  (or drop a PNG on speedometer_skin.exe; --help says more)\n");
        return 2;
    case skin::packer_action::watch:
        // The previewer packs and draws at each save: one process for the session.
        return skin::launch_watch(command.request.png_path, command.request.uncompressed);
    case skin::packer_action::drop:
    case skin::packer_action::pack:
        break;
    }
    return pack(command);
}

} // namespace

int main(int argc, char** argv) {
    skin::packer_command command;
    command.waits_for_key = true; // until the arguments are read
    int status = 1;
    try {
        command = skin::parse_command(skin::utf8_arguments(argc, argv));
        status = run(command);
    } catch (const std::bad_alloc&) {
        skin::print(stderr, "refused: not enough memory to pack this skin\n");
    } catch (const std::exception& e) {
        skin::print(stderr, "refused: %s\n", e.what());
    } catch (...) {
        skin::print(stderr, "refused: an unexpected error stopped the packer\n");
    }
    // From a command prompt the window stays anyway.
    if (command.waits_for_key && skin::console_closes_with_program()) {
        // After a drop, the window can go on watching the PNG.
        if (command.action == skin::packer_action::drop && status == 0 &&
            skin::offer_watch(command.request.png_path))
            status = skin::launch_watch(command.request.png_path, false);
        else
            skin::wait_for_key();
    }
    return status;
}
