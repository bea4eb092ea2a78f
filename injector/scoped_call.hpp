#pragma once
// The reversible patch of one five-byte call instruction. Other plug-ins may
// patch the same site after it: it writes the site back only while the site
// still holds the call it wrote, and otherwise leaves their bytes alone.
#include "injector/protected_memory.hpp"
#include "injector/scoped_bytes.hpp"

#include <cstdint>

namespace injector {

class scoped_call : public scoped_basic<5> {
  public:
    static constexpr std::uint32_t call_length = 5;

    ~scoped_call() override { scoped_call::restore_bytes(); }

    // Backs up the five bytes at site, writing any earlier backup back first,
    // and makes them a call to target. Returns the site's destination from
    // before the write.
    address_t replace_call(address_t site, address_t target);

    // True while the site holds exactly the call this patch wrote.
    bool site_holds_own_call() const;

    // True while a backup is held and the site holds the backed-up bytes
    // again, put back by someone else.
    bool site_holds_backup() const;

    // Writes the backup back if the site still holds this patch's call;
    // otherwise drops it unwritten.
    void restore_bytes() override;

  private:
    std::uint8_t written[call_length] = {};
    bool call_written = false;
};

} // namespace injector
