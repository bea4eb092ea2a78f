#pragma once
// The reversible patch of one five-byte call instruction. The site calls a
// stub (injector/call_stubs.hpp) that jumps on to the patch's target. Other
// plug-ins may patch the same site after it: it writes the site back only
// while the site still holds the call it wrote; otherwise it leaves the site
// alone and turns the stub, which another plug-in's code or backup may lead
// to, into a jump past the patch: to what the site called before it, or, on
// a site given back, to the host's own function.
#include "injector/protected_memory.hpp"
#include "injector/scoped_bytes.hpp"

#include <cstdint>

namespace injector {

class scoped_call : public scoped_basic<5> {
  public:
    static constexpr std::uint32_t call_length = 5;

    ~scoped_call() override { scoped_call::restore_bytes(); }

    // Backs up the five bytes at site and makes them a call that leads to
    // target through a stub. Returns the site's destination from before the
    // write. A site this patch took before is first let go: given back since,
    // its old stub stays for good (see below); else its backup is written back
    // and the stub handled as restore_bytes does. With no stub to be had the
    // site and this patch are left as they are, the log says so, and the
    // result is 0. home_callee, when known, is the function the host's own
    // call at the site leads to; with none, any call from the site into the
    // image that holds it is the host's own.
    address_t replace_call(address_t site, address_t target, address_t home_callee = 0);

    // True while the site holds exactly the call this patch wrote.
    bool call_in_place() const;

    // True once the patch took its site, until unload.
    bool taken() const { return call_written; }

    // Run at a new game, never in a frame: makes the site's path pass through
    // this patch exactly once again, when other plug-ins, leaving, wrote back
    // calls that lead past it. The call is followed through their code
    // (injector/call_chain.hpp). A path that meets this patch's stub is left
    // as it is; one that meets a stub of this patch left behind earlier makes
    // that one live again, and the live one a jump past the patch; one that
    // reaches the host's own code without either is taken again on top of
    // whatever is there. A path that leads into memory no longer committed
    // is left as it is; one that cannot be followed (also through committed
    // memory it may not read) is taken again only when given back. True when target must now hand the call on to next_callee().
    bool lead_through(address_t target);

    // Where the live stub's path goes on past the patch's target.
    address_t next_callee() const { return earlier_callee; }

    // True when this patch wrote its call and the site has since been given
    // back by someone else: it holds the backed-up bytes again, or the host's
    // own call. The site can be taken again then; but a plug-in that put its
    // call on top of this patch's, and was written over when the site was
    // given back, may still hold this patch's call in its own backup and
    // write it back when it leaves.
    bool site_given_back() const;

    // Writes the backup back if the site still holds this patch's call, and
    // frees the stub. A site given back is left as it is, and its stub, which
    // a plug-in's backup may still lead to, becomes a jump to the host's own
    // function and stays. Otherwise another plug-in's call stands there: the
    // backup is dropped unwritten and the stub, which that call may lead to,
    // is left behind leading to the site's earlier destination.
    void restore_bytes() override;

  private:
    // A stub of this patch that was left behind, and where it jumps now.
    struct kept_stub {
        address_t stub;
        address_t leads_to;
    };
    // Enough for a game's worth of plug-ins coming and going; an older stub
    // past it is forgotten and still leads past the patch.
    static constexpr std::uint32_t kept_limit = 8;

    bool site_holds(const std::uint8_t* bytes) const;
    bool holds_host_call() const;
    // Lets go of a site given back: drops the backup, and turns the stub to
    // the host's own function, for good.
    void keep_stub_of_given_back_site();
    // Lets go of the live stub, which someone's code may still lead to: it
    // becomes a jump to leads_to and stays, for good.
    void keep_live_stub(address_t leads_to);
    // Makes the kept stub at index the live one, leading to target.
    void revive(std::uint32_t index, address_t target);
    // Where a stub that leads to callee had better lead: the host's own
    // function once the path from callee leads into memory no longer
    // committed (a plug-in unloaded since).
    address_t still_code(address_t callee) const;
    // At unload: a site that holds a call to a kept stub gets a call to where
    // that stub leads.
    void give_back_kept_stub_call();
    void learn_home(address_t host_function);

    std::uint8_t written[call_length] = {};
    bool call_written = false;
    bool revived = false;         // the live stub was kept once: never freed
    address_t stub = 0;           // what the written call leads to
    address_t earlier_callee = 0; // the site's destination before the write
    address_t host_callee = 0;    // where the host's own call leads, when known
    address_t home = 0;           // the host's own function, as far as seen
    kept_stub kept[kept_limit] = {};
    std::uint32_t kept_count = 0;
};

} // namespace injector
