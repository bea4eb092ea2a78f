#include "injector/scoped_call.hpp"

#include "files/module_log.hpp"
#include "injector/call_chain.hpp"
#include "injector/call_stubs.hpp"
#include "injector/code_check.hpp"

#include <cstring>

namespace injector {

namespace {

constexpr std::uint8_t relative_call = 0xE8;

void relative_call_bytes(std::uint8_t* bytes, address_t site, address_t target) {
    bytes[0] = relative_call;
    const std::uint32_t displacement = target - (site + scoped_call::call_length);
    std::memcpy(bytes + 1, &displacement, sizeof displacement);
}

} // namespace

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
    } else if (call_written && !call_in_place()) {
        // Another plug-in's call stands on ours: it may still lead to the stub.
        keep_live_stub(still_code(earlier_callee));
    }
    save_bytes(site, call_length, true); // gives back an earlier patch and its stub
    stub = new_stub;
    revived = false;
    host_callee = home_callee;
    learn_home(home_callee);
    if (home == 0) {
        const chain_end end = follow_call_chain(site, {});
        learn_home(end.end == chain_end::kind::host && !end.through_call ? end.at : 0);
    }
    earlier_callee = write_call(site, stub);
    // The site's pages are readable as they are: comparing them later needs
    // no protection change.
    std::memcpy(written, reinterpret_cast<const void*>(site), call_length);
    call_written = true;
    return earlier_callee;
}

void scoped_call::learn_home(address_t host_function) {
    if (host_function != 0 && (host_callee == 0 || host_function == host_callee)) {
        home = host_function;
    }
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

address_t scoped_call::still_code(address_t callee) const {
    const bool broken = follow_chain_from(address, callee, {}, home).end == chain_end::kind::broken;
    return broken && home != 0 ? home : callee;
}

void scoped_call::keep_live_stub(address_t leads_to) {
    leave_call_stub(stub, leads_to);
    if (kept_count == kept_limit) {
        std::memmove(kept, kept + 1, sizeof kept - sizeof kept[0]);
        --kept_count;
    }
    kept[kept_count++] = kept_stub{stub, leads_to};
    has_backup = false;
    call_written = false;
    revived = false;
    stub = 0;
}

void scoped_call::keep_stub_of_given_back_site() {
    // Whoever gave the site back may have written over a plug-in that took it
    // on top of us. That one still holds our call, and writes it back when it
    // leaves: the stub must lead somewhere for as long as the process lives,
    // and never into the module, which may be gone by then.
    const address_t now = relative_call_destination(address);
    learn_home(holds_host_call() ? now : 0);
    const address_t host = host_callee != 0 ? host_callee : now != 0 ? now : earlier_callee;
    keep_live_stub(host);
}

void scoped_call::revive(std::uint32_t index, address_t target) {
    const kept_stub found = kept[index];
    std::memmove(kept + index, kept + index + 1, (kept_count - index - 1) * sizeof kept[0]);
    --kept_count;
    // The live stub first leads past the patch, so that no path passes the
    // patch twice, even for a moment.
    const address_t site = address;
    if (site_given_back()) {
        keep_stub_of_given_back_site();
    } else {
        keep_live_stub(still_code(earlier_callee));
    }
    stub = found.stub;
    earlier_callee = still_code(found.leads_to);
    // Given back at unload, the site gets a call to where the stub leads.
    address = site;
    size = call_length;
    unprotect = true;
    relative_call_bytes(saved_bytes, site, earlier_callee);
    relative_call_bytes(written, site, stub);
    has_backup = true;
    call_written = true;
    revived = true;
    revive_call_stub(stub, target);
}

bool scoped_call::lead_through(address_t target) {
    if (!call_written) {
        return false; // never taken, or no stub could be had
    }
    address_t marks[1 + kept_limit] = {stub};
    for (std::uint32_t index = 0; index < kept_count; ++index) {
        marks[1 + index] = kept[index].stub;
    }
    const chain_end end = follow_call_chain(address, {marks, 1 + kept_count}, home);
    switch (end.end) {
    case chain_end::kind::met:
        if (end.at != stub) {
            std::uint32_t index = 0;
            while (kept[index].stub != end.at) {
                ++index;
            }
            revive(index, target);
            return true;
        }
        if (still_code(earlier_callee) != earlier_callee) {
            earlier_callee = home; // a plug-in behind the patch was unloaded
            return true;
        }
        return false;
    case chain_end::kind::host:
        // Past other plug-ins into the host's own code, but never to another
        // host function than the site's, nor through a call to one that may
        // be a helper, after which the path might still reach the patch.
        if ((host_callee == 0 || end.at == host_callee) && (!end.through_call || end.at == home)) {
            learn_home(end.at);
            replace_call(address, target, host_callee);
            return call_in_place();
        }
        return false;
    case chain_end::kind::unknown:
        if (site_given_back()) {
            replace_call(address, target, host_callee);
            return call_in_place();
        }
        return false;
    case chain_end::kind::broken:
        return false;
    }
    return false;
}

void scoped_call::give_back_kept_stub_call() {
    const address_t destination = relative_call_destination(address);
    for (std::uint32_t index = 0; index < kept_count; ++index) {
        if (destination != 0 && kept[index].stub == destination) {
            std::uint8_t call[call_length];
            relative_call_bytes(call, address, still_code(kept[index].leads_to));
            write_bytes(address, call, call_length, true);
            return;
        }
    }
}

void scoped_call::restore_bytes() {
    if (call_written) {
        if (call_in_place()) {
            // Nothing leads to the stub once the site is the host's again;
            // given back first, so no host thread can enter a freed stub. A
            // plug-in the backup leads to may have been unloaded since.
            const address_t backed_up = relative_call_destination(saved_bytes, address);
            if (backed_up != 0 && still_code(backed_up) != backed_up) {
                relative_call_bytes(saved_bytes, address, home);
            }
            scoped_basic::restore_bytes();
            if (revived) {
                // Kept once, it may be in someone's backup still.
                leave_call_stub(stub, still_code(earlier_callee));
            } else {
                release_call_stub(stub);
            }
        } else if (site_given_back()) {
            keep_stub_of_given_back_site();
        } else {
            // Someone patched the site after us: our backup would undo their
            // call, and their code may still jump to our stub.
            has_backup = false;
            leave_call_stub(stub, still_code(earlier_callee));
        }
        give_back_kept_stub_call();
        // A call into a plug-in unloaded since would take the host down at its
        // next call; the host's own call is all that can be given. A call into
        // memory still committed may be a live plug-in's, whatever lies
        // further down its path: it is never written over.
        const address_t destination = relative_call_destination(address);
        const chain_end end =
            destination != 0 ? follow_chain_from(address, destination, {}, home) : chain_end{};
        if (home != 0 && end.end == chain_end::kind::broken && end.at == destination) {
            std::uint8_t call[call_length];
            relative_call_bytes(call, address, home);
            write_bytes(address, call, call_length, true);
        }
    }
    call_written = false;
    stub = 0;
    scoped_basic::restore_bytes();
}

} // namespace injector
