#pragma once
// Reversible byte patches: a backup of the bytes at an address, written back
// when restored or destroyed.
#include "injector/protected_memory.hpp"
#include "injector/unprotect_guard.hpp"

#include <cstdint>
#include <cstring>

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

    // Writes any backup still held back first, then takes the bytes at where.
    virtual void save_bytes(address_t where, std::uint32_t count, bool unprotect_pages);

    const std::uint8_t* saved() const { return saved_bytes; }
    address_t backup_address() const { return address; }
    std::uint32_t backup_size() const { return size; }
    bool holds_backup() const { return has_backup; }
    bool unprotects() const { return unprotect; }

  protected:
    std::uint8_t saved_bytes[bufsize] = {};
    address_t address = 0;
    std::uint32_t size = 0;
    bool has_backup = false;
    bool unprotect = false;
};

template <std::uint32_t bufsize>
void scoped_basic<bufsize>::save_bytes(address_t where, std::uint32_t count, bool unprotect_pages) {
    if (count > bufsize) {
        report_backup_too_large();
        // Should the process survive the report, the buffer still must not
        // overflow: keep what fits.
        count = bufsize;
    }
    restore_bytes(); // through the virtual slot: a derived class may hold more
    has_backup = true;
    address = where;
    size = count;
    unprotect = unprotect_pages;
    unprotect_guard guard(where, count, unprotect_pages && count != 0);
    std::memcpy(saved_bytes, reinterpret_cast<const void*>(where), count);
}

} // namespace injector
