// The module's one piece of start-up work. Loading the library constructs
// speedometer_plugin, which hooks the host's init, frame and shutdown call
// sites; from then on the host drives everything. Unloading gives the sites
// back through the exit-time destructors of the hooks. In a host whose code
// is not what the module expects it takes nothing over at all, nor in a game
// where another copy of the module is at work already.
#include "events/host_events.hpp"
#include "files/module_log.hpp"
#include "injector/call_stubs.hpp"
#include "injector/host_check.hpp"
#include "plugin/active_copy.hpp"
#include "settings/settings_reload.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/resources.hpp"

namespace {

class plugin {
  public:
    plugin() {
        // All or nothing: with no handler added, no site, file or text is
        // ever touched, for the life of the process.
        if (!host_code_is_expected()) {
            return;
        }
        // A second copy in the same game would draw a second gauge.
        if (!claim_the_process()) {
            return;
        }
        // Every site calls a stub, never the module itself; the one page of
        // stubs is had before any site is taken, so all of them get theirs.
        if (!injector::reserve_call_stub_page()) {
            log_line("not running: no memory for the call stubs the host's calls would lead "
                     "through; the host's code is left as it is");
            return;
        }
        init_event.add([] {
            take_given_back_sites_again();
            load_resources();
        });
        // The file is looked at before the frame, whether the gauge is shown or
        // not: a new toggle key must be able to bring it back.
        draw_event.add([] {
            follow_settings_file();
            draw_speedometer();
        });
        shutdown_event.add([] { release_resources(); });
    }
};

} // namespace

plugin speedometer_plugin;
