#pragma once
// Loads the real module into this simulated host, as a plug-in loader does.
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline constexpr char module_file[] = "speedometer.dll";

class module_test : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    void load();
    void unload();
    bool inside_module(std::uint32_t address) const;
    // The module's first byte and the one past its last, while it is loaded.
    std::pair<std::uint32_t, std::uint32_t> module_image() const;
    std::uint32_t call_target(std::uint32_t site) const; // destination of an E8 at site
    // The call at site leads into the module, through the stub it calls.
    bool reaches_module(std::uint32_t site) const;

    void enter_vehicle(float speed, std::uint8_t status = 0, std::int32_t kind = 0);

    HMODULE module_ = nullptr;
};

// The bytes at a host address as they are now.
std::vector<std::uint8_t> live_bytes(std::uint32_t address, std::size_t size);

// Where committed executable memory that no image holds (stubs, trampolines)
// has a relative jump or call into image: the first such address, or 0.
std::uint32_t code_leading_into(std::pair<std::uint32_t, std::uint32_t> image);

// The module's files beside it: speedometer.ini written as its section
// holding lines (nullptr deletes it), and the lines of speedometer.log (or of
// the log at path). Both are deleted after each test.
void write_settings_lines(const char* lines);
std::vector<std::string> log_lines(const wchar_t* path = L"speedometer.log");

// Addresses of the five call sites, in the order the module takes them over.
std::vector<std::uint32_t> event_sites();
std::vector<std::uint32_t> text_sites();

// The first byte of a loaded image and the one past its last.
std::pair<std::uint32_t, std::uint32_t> image_of(HMODULE module);

// Another plug-in that takes the call at site over, as long as it lives: on
// top of whatever is there, or through a trampoline outside any image. Each
// copy (1, 2, ...) is a file of its own, so that several can be loaded at once.
// Its hook: a call straight to its code, or to a trampoline that leads there
// by a jump, a register, or after a call to its helper or to host_function.
struct foreign_hook {
    enum way : int { straight = -1, jump, jump_register, helper_first, host_first };
    int shape = straight;
    bool writes_back_only_its_own = false; // else writes back what it found
    std::uint32_t host_function = 0;
    std::uint32_t protection = PAGE_EXECUTE_READ; // of the trampoline
};
class foreign_plugin {
  public:
    explicit foreign_plugin(std::uint32_t site, bool through_trampoline = false, int copy = 0);
    foreign_plugin(std::uint32_t site, const foreign_hook& hook);
    ~foreign_plugin() { unload(); }
    void unload();
    std::uint32_t passes() const; // runs through its call
    std::pair<std::uint32_t, std::uint32_t> image() const { return image_of(module); }

  private:
    HMODULE module;
};

// The module's flushes of this process's instruction cache while the trace
// lives, as address and size.
using flush = std::pair<std::uint32_t, std::uint32_t>;
class flush_trace {
  public:
    explicit flush_trace(HMODULE module);
    ~flush_trace();
    std::vector<flush> seen;
};
