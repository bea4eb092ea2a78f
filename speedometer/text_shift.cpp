#include "speedometer/text_shift.hpp"

#include "host/addresses.hpp"
#include "host/functions.hpp"
#include "injector/host_version.hpp"
#include "injector/protected_memory.hpp"
#include "injector/scoped_bytes.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/placement.hpp"
#include "speedometer/settings.hpp"
#include "speedometer/visibility_toggle.hpp"

namespace {

// The dial starts 354 reference pixels left of the screen's right edge; one
// more keeps the text off its rim.
constexpr float text_shift_reference_pixels = 355.0f;

// The bytes a text call site held before the module first rewrote it. Kept in
// a static created at the first patch, so that its exit-time destructor
// writes them back when the module is unloaded.
class text_site_backup : public injector::scoped_basic<5> {
  public:
    bool holding() const { return has_backup; }
};

text_site_backup& backup_of_site_a() {
    static text_site_backup backup;
    return backup;
}

text_site_backup& backup_of_site_b() {
    static text_site_backup backup;
    return backup;
}

void patch_text_site(text_site_backup& backup, injector::address_t site,
                     std::uint32_t (*replacement)(float, float, std::uint32_t)) {
    injector::request_host_version();
    // A second install finds the site already leading here; its backup must
    // keep the host's own bytes, not the module's call.
    if (!backup.holding()) {
        backup.save_bytes(site, 5, true);
    }
    injector::write_call(site, reinterpret_cast<injector::address_t>(replacement));
}

float shifted_x(float x) {
    // Sites patched in an earlier game stay patched; they pass the text on
    // untouched once the player turned the shift off or hid the gauge.
    if (!active_settings.hud_text_shift || speedometer_hidden()) {
        return x;
    }
    if (host_player_vehicle(local_player, false) == nullptr) {
        return x;
    }
    // A larger or further-left gauge needs the text further left.
    return x - scale_to_screen(current_placement().from_right(text_shift_reference_pixels));
}

} // namespace

void install_text_shift() {
    patch_text_site(backup_of_site_a(), host_address::hud_text_a_call_site, &shifted_hud_text_a);
    patch_text_site(backup_of_site_b(), host_address::hud_text_b_call_site, &shifted_hud_text_b);
}

std::uint32_t shifted_hud_text_a(float x, float y, std::uint32_t text) {
    return host_hud_text_a(shifted_x(x), y, text);
}

std::uint32_t shifted_hud_text_b(float x, float y, std::uint32_t text) {
    return host_hud_text_b(shifted_x(x), y, text);
}
