#pragma once
// Reversible byte patches: a backup of the bytes at an address, written back
// when restored or destroyed.
#include "injector/protected_memory.hpp"

#include <cstdint>

namespace injector {

// Reports the one assertion of the patching layer the way the platform
// reports a failed assert.
void report_backup_too_large();

class scoped_base {
  public:
    virtual ~scoped_base() = default;
    virtual void restore_bytes() = 0;
};

template <std::uint32_t bufsize> class scoped_basic : public scoped_base {
  public:
    scoped_basic() = default;
    scoped_basic(const scoped_basic&) = delete;
    scoped_basic& operator=(const scoped_basic&) = delete;

    ~scoped_basic() override { scoped_basic::restore_bytes(); }

    void restore_bytes() override {
        if (has_backup) {
            write_bytes(address, saved_bytes, size, unprotect);
            has_backup = false;
        }
    }

    virtual void save_bytes(address_t where, std::uint32_t count, bool unprotect_pages);

  protected:
    std::uint8_t saved_bytes[bufsize] = {};
    address_t address = 0;
    std::uint32_t size = 0;
    bool has_backup = false;
    bool unprotect = false;
};

} // namespace injector
