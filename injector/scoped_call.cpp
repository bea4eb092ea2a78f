#include "injector/scoped_call.hpp"

#include <cstring>

namespace injector {

address_t scoped_call::replace_call(address_t site, address_t target) {
    save_bytes(site, call_length, true);
    const address_t previous = write_call(site, target);
    // The site's pages are readable as they are: comparing them later needs
    // no protection change.
    std::memcpy(written, reinterpret_cast<const void*>(site), call_length);
    call_written = true;
    return previous;
}

bool scoped_call::site_holds_own_call() const {
    return call_written && has_backup &&
           std::memcmp(reinterpret_cast<const void*>(address), written, call_length) == 0;
}

bool scoped_call::site_holds_backup() const {
    return has_backup &&
           std::memcmp(reinterpret_cast<const void*>(address), saved_bytes, size) == 0;
}

void scoped_call::restore_bytes() {
    if (call_written && has_backup && !site_holds_own_call()) {
        // Someone patched the site after us: our backup would undo their call.
        has_backup = false;
    }
    call_written = false;
    scoped_basic::restore_bytes();
}

} // namespace injector
