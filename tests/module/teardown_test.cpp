// What unloading does, seen through the system calls the module makes, and
// what many load and unload cycles leave behind.
#include "import_tap.hpp"
#include "module_fixture.hpp"

#include "host/addresses.hpp"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One step of the teardown: a protection change on host code, or a free.
struct step {
    bool is_free;
    std::uint32_t address;
};

std::vector<step>* trace = nullptr;
decltype(&VirtualProtect) real_virtual_protect = nullptr;
decltype(&std::free) real_free = nullptr;

BOOL WINAPI traced_virtual_protect(LPVOID address, SIZE_T size, DWORD protection, PDWORD old) {
    if (trace != nullptr && protection == PAGE_EXECUTE_READWRITE) {
        trace->push_back({false, reinterpret_cast<std::uint32_t>(address)});
    }
    return real_virtual_protect(address, size, protection, old);
}

void traced_free(void* block) {
    if (trace != nullptr && block != nullptr) {
        auto* keep = trace;
        trace = nullptr; // recording may allocate
        keep->push_back({true, reinterpret_cast<std::uint32_t>(block)});
        trace = keep;
    }
    real_free(block);
}

std::size_t private_bytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PrivateUsage;
}

} // namespace

TEST_F(module_test, unloading_writes_the_event_sites_back_last_taken_first) {
    load();
    sim::run_event_site(sim::event_site::init);
    real_virtual_protect = reinterpret_cast<decltype(real_virtual_protect)>(
        tap_import(module_, "KERNEL32.dll", "VirtualProtect",
                   reinterpret_cast<void*>(&traced_virtual_protect)));
    real_free = reinterpret_cast<decltype(real_free)>(
        tap_import(module_, "msvcrt.dll", "free", reinterpret_cast<void*>(&traced_free)));
    ASSERT_NE(real_virtual_protect, nullptr);
    ASSERT_NE(real_free, nullptr);

    std::vector<step> steps;
    steps.reserve(4096);
    trace = &steps;
    unload();
    trace = nullptr;

    std::vector<std::uint32_t> writes;
    for (const step& s : steps) {
        if (!s.is_free) {
            writes.push_back(s.address);
        }
    }
    const std::vector<std::uint32_t> expected = {
        host_address::hud_text_b_call_site, host_address::hud_text_a_call_site,
        host_address::shutdown_call_site, host_address::draw_call_site,
        host_address::init_call_site};
    EXPECT_EQ(writes, expected);

    // Each event site is written back before the objects that led to it are
    // freed: its hooker, its manager and its event's handler lists.
    std::vector<int> frees_after_site_write;
    for (const step& s : steps) {
        const bool event_site = !s.is_free && (s.address == host_address::shutdown_call_site ||
                                               s.address == host_address::draw_call_site ||
                                               s.address == host_address::init_call_site);
        if (event_site) {
            frees_after_site_write.push_back(0);
        } else if (s.is_free && !frees_after_site_write.empty()) {
            ++frees_after_site_write.back();
        }
    }
    ASSERT_EQ(frees_after_site_write.size(), 3u);
    for (int frees : frees_after_site_write) {
        EXPECT_GE(frees, 3); // hooker list node, manager, handler list storage
    }
    if (HasFailure()) {
        for (const step& s : steps) {
            std::printf("%s %08x\n", s.is_free ? "free" : "protect", s.address);
        }
    }
    EXPECT_TRUE(sim::changed_code_bytes().empty());
}

TEST_F(module_test, a_hundred_load_run_unload_cycles_leave_the_host_and_memory_as_they_were) {
    const std::size_t dictionaries = sim::loaded_dictionary_count();
    enter_vehicle(0.7f, 2);
    sim::set_drawing_enabled(false);
    sim::set_call_logging(false);
    std::size_t after_warm_up = 0;
    for (int cycle = 0; cycle < 100; ++cycle) {
        load();
        sim::run_event_site(sim::event_site::init);
        for (int frame = 0; frame < 3; ++frame) {
            sim::run_event_site(sim::event_site::draw);
        }
        sim::run_text_site(sim::text_site::a, 100.0f, 100.0f, 0);
        sim::run_event_site(sim::event_site::shutdown);
        unload();
        if (cycle == 9) {
            after_warm_up = private_bytes();
        }
    }
    const std::size_t at_end = private_bytes();
    sim::set_call_logging(true);
    EXPECT_TRUE(sim::changed_code_bytes().empty());
    EXPECT_EQ(sim::loaded_dictionary_count(), dictionaries);
    EXPECT_LT(at_end, after_warm_up + 512 * 1024)
        << "private memory grew from " << after_warm_up << " to " << at_end;
}
