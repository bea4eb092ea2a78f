#pragma once
// The reversible patch of one five-byte call instruction. The site calls a
// stub (injector/call_stubs.hpp) that jumps on to the patch's target. Other
// plug-ins may patch the same site after it: it writes the site back only
// while the site still holds the call it wrote; otherwise it leaves their
// bytes alone and turns the stub, which their code may lead to, into a jump
// to what the site called before the patch.
#include "injector/protected_memory.hpp"
#include "injector/scoped_bytes.hpp"

#include <cstdint>

namespace injector {

class scoped_call : public scoped_basic<5> {
  public:
    static constexpr std::uint32_t call_length = 5;

    ~scoped_call() override { scoped_call::restore_bytes(); }

    // Backs up the five bytes at site, writing any earlier backup back first,
    // and makes them a call that leads to target through a stub. Returns the
    // site's destination from before the write. With no stub to be had the
    // site is left alone, the log says so, and the result is 0. home_callee,
    // when known, is the function the host's own call at the site leads to:
    // a site found calling it again was given back to the host, and nothing
    // there leads to the stub any more.
    address_t replace_call(address_t site, address_t target, address_t home_callee = 0);

    // True while the site holds exactly the call this patch wrote.
    bool call_in_place() const;

    // True when this patch wrote its call and the site has since been given
    // back by someone else: it holds the backed-up bytes again, or the host's
    // own call. No call at the site leads to the stub then, and the site can
    // be taken again.
    bool site_given_back() const;

    // Writes the backup back if the site still holds this patch's call. A site
    // given back frees the stub too. Otherwise another plug-in's call stands
    // there: the backup is dropped unwritten and the stub, which that call may
    // lead to, is left behind leading to the site's earlier destination.
    void restore_bytes() override;

  private:
    bool site_holds(const std::uint8_t* bytes) const;

    std::uint8_t written[call_length] = {};
    bool call_written = false;
    address_t stub = 0;           // what the written call leads to
    address_t earlier_callee = 0; // the site's destination before the write
    address_t host_callee = 0;    // where the host's own call leads, when known
};

} // namespace injector
