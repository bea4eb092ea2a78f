#include "injector/scoped_call.hpp"

#include "files/module_log.hpp"
#include "injector/call_stubs.hpp"
#include "injector/code_check.hpp"

#include <cstring>

namespace injector {

address_t scoped_call::replace_call(address_t site, address_t target, address_t home_callee) {
    // A call straight into the module would outlive it: a plug-in that
    // patches the site after us would be left calling into memory that is
    // gone once the module is unloaded. So no stub, no patch.
    const address_t new_stub = acquire_call_stub(target);
    if (new_stub == 0) {
        log_line("no memory for a call stub: the call at 0x%08X is left as it is",
                 static_cast<unsigned>(site));
        return 0;
    }
    if (site_given_back()) {
        keep_stub_of_given_back_site();
    }
    save_bytes(site, call_length, true); // gives back an earlier patch and its stub
    stub = new_stub;
    host_callee = home_callee;
    earlier_callee = write_call(site, stub);
    // The site's pages are readable as they are: comparing them later needs
    // no protection change.
    std::memcpy(written, reinterpret_cast<const void*>(site), call_length);
    call_written = true;
    return earlier_callee;
}

bool scoped_call::site_holds(const std::uint8_t* bytes) const {
    return std::memcmp(reinterpret_cast<const void*>(address), bytes, call_length) == 0;
}

bool scoped_call::call_in_place() const {
    return call_written && has_backup && site_holds(written);
}

bool scoped_call::holds_host_call() const {
    const address_t destination = relative_call_destination(address);
    if (destination == 0) {
        return false;
    }
    if (host_callee != 0) {
        return destination == host_callee;
    }
    // No plug-in's code lies in the host's image, nor does any stub.
    const address_t host_image = image_holding(address);
    return host_image != 0 && image_holding(destination) == host_image;
}

bool scoped_call::site_given_back() const {
    if (!call_written || !has_backup) {
        return false;
    }
    // The backup may be another plug-in's call that it wrote back over ours
    // when it left, or it may be gone, the host's own call written back in
    // its place: either way nothing at the site leads to the stub.
    return site_holds(saved_bytes) || holds_host_call();
}

void scoped_call::keep_stub_of_given_back_site() {
    // Whoever gave the site back may have written over a plug-in that took it
    // on top of us. That one still holds our call, and writes it back when it
    // leaves: the stub must lead somewhere for as long as the process lives,
    // and never into the module, which may be gone by then.
    const address_t now = relative_call_destination(address);
    const address_t home = host_callee != 0 ? host_callee : now != 0 ? now : earlier_callee;
    leave_call_stub(stub, home);
    has_backup = false;
    call_written = false;
    stub = 0;
}

void scoped_call::restore_bytes() {
    if (call_written) {
        if (call_in_place()) {
            // Nothing leads to the stub once the site is the host's again;
            // given back first, so no host thread can enter a freed stub.
            scoped_basic::restore_bytes();
            release_call_stub(stub);
        } else if (site_given_back()) {
            keep_stub_of_given_back_site();
        } else {
            // Someone patched the site after us: our backup would undo their
            // call, and their code may still jump to our stub.
            has_backup = false;
            leave_call_stub(stub, earlier_callee);
        }
    }
    call_written = false;
    stub = 0;
    scoped_basic::restore_bytes();
}

} // namespace injector
