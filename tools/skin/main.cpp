// speedometer_skin: packs a skin's PNG into the dictionary the speedometer
// loads with skin = NAME (models\speedometer_NAME.txd, or _NAME_mph.txd).
// PNGs dropped on the program arrive as its arguments: each dictionary then
// goes beside its PNG, named for the skin, and the preview sheet beside that.
#include "command_line.hpp"
#include "console.hpp"
#include "dictionary_target.hpp"
#include "preview_launch.hpp"
#include "program_version.hpp"
#include "skin_pack.hpp"
#include "utf8_path.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

// Packs one PNG where `target` says; prints what it did. 0 when written.
int pack_one(const skin::packer_command& command, const skin::dictionary_target& target) {
    skin::pack_request request = command.request;
    request.dictionary_path = target.path;
    request.notes = target.notes;
    const int status = skin::pack_skin(request, stdout, stderr);
    if (status == 0)
        skin::print(stdout,
                    "to use it: copy it into the game's models folder and set skin = %s in "
                    "speedometer.ini\n",
                    target.skin.c_str());
    return status;
}

int pack(const skin::packer_command& command) {
    const skin::dictionary_target target =
        skin::target_for(command.request.png_path, command.request.dictionary_path);
    if (!target.refusal.empty()) {
        skin::print(stderr, "refused: %s\n", target.refusal.c_str());
        return 1;
    }
    const int status = pack_one(command, target);
    // A PNG dropped with a folder or a dictionary is a drop: previewed as
    // one, though Explorer's arguments alone cannot tell it from a prompt's.
    const bool dropped = command.waits_for_key && skin::console_closes_with_program();
    if (status != 0 || !(command.preview || dropped))
        return status;
    return skin::launch_preview(command.request.png_path, {target.path}, command.preview);
}

// PNGs dropped together: each packed beside itself, then each skin's faces
// previewed together, as one sheet. Two PNGs that would write one dictionary
// are refused before anything is written.
int pack_dropped(const skin::packer_command& command) {
    std::vector<skin::dictionary_target> targets;
    for (const std::string& png : command.dropped) {
        targets.push_back(skin::target_for(png, ""));
        if (!targets.back().refusal.empty()) {
            skin::print(stderr, "refused: %s\n", targets.back().refusal.c_str());
            return 1;
        }
        for (std::size_t i = 0; i + 1 < targets.size(); ++i)
            if (targets[i].path == targets.back().path) {
                skin::print(stderr,
                            "refused: %s and %s both make %s: drop one of them, or rename one\n",
                            command.dropped[i].c_str(), png.c_str(), targets[i].path.c_str());
                return 1;
            }
    }
    int status = 0;
    std::vector<bool> packed;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (targets.size() > 1)
            skin::print(stdout, "%s%s:\n", i == 0 ? "" : "\n", command.dropped[i].c_str());
        skin::packer_command one = command;
        one.request.png_path = command.dropped[i];
        packed.push_back(pack_one(one, targets[i]) == 0);
        status = packed.back() ? status : 1;
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!packed[i])
            continue;
        std::vector<std::string> faces = {targets[i].path};
        for (std::size_t j = i + 1; j < targets.size(); ++j)
            if (packed[j] && targets[j].skin == targets[i].skin) {
                faces.push_back(targets[j].path);
                packed[j] = false; // previewed with this one
            }
        const int previewed = skin::launch_preview(command.dropped[i], faces, false);
        status = previewed != 0 ? previewed : status;
    }
    return status;
}

int run(const skin::packer_command& command) {
    switch (command.action) {
    case skin::packer_action::help:
        skin::print(stdout, "%s", skin::packer_help);
        return 0;
    case skin::packer_action::version:
        skin::print(stdout, "speedometer_skin %s, the skin packer of the speedometer's kit\n",
                    skin::program_version(SPEEDOMETER_VERSION).c_str());
        return 0;
    case skin::packer_action::usage:
        if (command.problem.empty() && command.waits_for_key) {
            // Double-clicked: nothing a double-clicker could type would help.
            skin::print(stderr, "To pack a skin, drag its PNG in Explorer onto "
                                "speedometer_skin.exe and let go: the dictionary goes beside "
                                "the PNG.\nTo pack both faces at once, select NAME.png and "
                                "NAME_mph.png and drag them together.\n");
            return 2;
        }
        if (!command.problem.empty())
            skin::print(stderr, "refused: %s\n", command.problem.c_str());
        skin::print(stderr, "usage: speedometer_skin [--32bit] [--preview] [--quality] SKIN.png "
                            "[DICTIONARY.txd | FOLDER]\n  (or drop PNGs on speedometer_skin.exe; "
                            "--help says more)\n");
        return 2;
    case skin::packer_action::watch:
        // The previewer packs and draws at each save: one process for the session.
        return skin::launch_watch(command);
    case skin::packer_action::drop:
        return pack_dropped(command);
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
        if (command.action == skin::packer_action::drop && command.dropped.size() == 1 &&
            status == 0 && skin::offer_watch(command.request.png_path))
            status = skin::launch_watch(command);
        else
            skin::wait_for_key();
    }
    return status;
}
