// The simulated host as a program: loads the module the way a plug-in loader
// does, plays a short session (start a game, drive at a few speeds on a few
// screens, shut down), writes every frame as a PNG and unloads the module.
#include "simhost/main/session.hpp"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: simulated_host <module.dll|.asi> <game folder> <output folder>\n");
        return 2;
    }
    return run_session(argv[1], argv[2], argv[3]) ? 0 : 1;
}
