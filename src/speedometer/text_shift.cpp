#include "speedometer/text_shift.hpp"

#include "host/addresses.hpp"
#include "host/functions.hpp"
#include "injector/host_check.hpp"
#include "injector/host_version.hpp"
#include "injector/protected_memory.hpp"
#include "injector/scoped_call.hpp"
#include "settings/settings.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/placement.hpp"
#include "speedometer/visibility_toggle.hpp"

namespace {

using text_function = std::uint32_t(float, float, std::uint32_t);

// The dial starts 354 reference pixels left of the screen's right edge; one
// more keeps the text off its rim.
constexpr float text_shift_reference_pixels = 355.0f;

// One rewritten text call site. Kept in a static created at the first patch,
// so that its exit-time destructor writes the site back when the module is
// unloaded, or, when another plug-in has patched the site since, points the
// site's stub past the module.
struct text_site_patch {
    injector::scoped_call call;
    // What the site called before: the host's text function, or another
    // plug-in's code that leads there.
    text_function* previous_callee = nullptr;
};

text_site_patch& patch_of_site_a() {
    static text_site_patch patch;
    return patch;
}

text_site_patch& patch_of_site_b() {
    static text_site_patch patch;
    return patch;
}

void patch_text_site(text_site_patch& patch, injector::address_t site,
                     injector::address_t host_function, text_function* replacement) {
    injector::request_host_version();
    // A later install finds the site patched already. Other plug-ins may have
    // come and gone since: the text must pass the replacement once again.
    if (patch.call.taken()) {
        if (patch.call.lead_through(reinterpret_cast<injector::address_t>(replacement))) {
            patch.previous_callee = reinterpret_cast<text_function*>(patch.call.next_callee());
        }
        return;
    }
    // Another plug-in may have changed the site since start-up.
    if (!text_site_is_expected(site, host_function)) {
        return;
    }
    const injector::address_t earlier = patch.call.replace_call(
        site, reinterpret_cast<injector::address_t>(replacement), host_function);
    // With no stub the site is left as it was, and the log says why.
    if (patch.call.call_in_place()) {
        patch.previous_callee = reinterpret_cast<text_function*>(earlier);
    }
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

// Called before its site was ever taken over, a replacement leads to the
// host's own text function.
text_function* callee_of(const text_site_patch& patch, text_function* host_function) {
    return patch.previous_callee != nullptr ? patch.previous_callee : host_function;
}

} // namespace

void install_text_shift() {
    patch_text_site(patch_of_site_a(), host_address::hud_text_a_call_site, host_address::hud_text_a,
                    &shifted_hud_text_a);
    patch_text_site(patch_of_site_b(), host_address::hud_text_b_call_site, host_address::hud_text_b,
                    &shifted_hud_text_b);
}

std::uint32_t shifted_hud_text_a(float x, float y, std::uint32_t text) {
    return callee_of(patch_of_site_a(), &host_hud_text_a)(shifted_x(x), y, text);
}

std::uint32_t shifted_hud_text_b(float x, float y, std::uint32_t text) {
    return callee_of(patch_of_site_b(), &host_hud_text_b)(shifted_x(x), y, text);
}
