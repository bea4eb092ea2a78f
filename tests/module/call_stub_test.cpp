// The page of stubs the host's rewritten calls lead through: none of the
// host's code is taken without one, it is executable and read-only while
// the host runs through it, and it is freed once nothing can lead to it.
#include "module_fixture.hpp"
#include "simhost/import_tap.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <algorithm>
#include <utility>

namespace {

decltype(&VirtualAlloc) real_alloc = nullptr;

// A process whose address space is spent: no executable memory to be had.
LPVOID WINAPI alloc_without_code(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    constexpr DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if ((protection & executable) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return real_alloc(address, size, type, protection);
}

decltype(&VirtualFree) real_free = nullptr;
std::vector<bool>* host_code_back_at_free = nullptr;

BOOL WINAPI watched_free(LPVOID address, SIZE_T size, DWORD type) {
    if (host_code_back_at_free != nullptr) {
        host_code_back_at_free->push_back(sim::changed_code_bytes().empty());
    }
    return real_free(address, size, type);
}

using flush = std::pair<std::uint32_t, std::uint32_t>; // address, size
std::vector<flush>* flushes = nullptr;
decltype(&FlushInstructionCache) real_flush = nullptr;

BOOL WINAPI traced_flush(HANDLE process, LPCVOID address, SIZE_T size) {
    if (flushes != nullptr) {
        flushes->emplace_back(reinterpret_cast<std::uint32_t>(address), size);
    }
    return real_flush(process, address, size);
}

MEMORY_BASIC_INFORMATION page_of(std::uint32_t address) {
    MEMORY_BASIC_INFORMATION page{};
    VirtualQuery(reinterpret_cast<const void*>(address), &page, sizeof page);
    return page;
}

HMODULE load_foreign_plugin(std::uint32_t site) {
    const HMODULE other = LoadLibraryA("foreign_plugin.dll");
    EXPECT_NE(other, nullptr);
    reinterpret_cast<void (*)(std::uint32_t, bool)>(
        reinterpret_cast<void*>(GetProcAddress(other, "foreign_take_over")))(site, false);
    return other;
}

} // namespace

TEST_F(module_test, with_no_memory_for_stubs_load_changes_no_host_byte_and_says_why) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    real_alloc = reinterpret_cast<decltype(real_alloc)>(
        tap_export(kernel, "VirtualAlloc", reinterpret_cast<void*>(&alloc_without_code)));
    ASSERT_NE(real_alloc, nullptr);
    load();
    tap_export(kernel, "VirtualAlloc", reinterpret_cast<void*>(real_alloc));

    EXPECT_TRUE(sim::changed_code_bytes().empty());
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(sim::count_of(sim::host_fn::load_txd), 0u);
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("not running: no memory for the call stubs")) << lines[0];
}

TEST_F(module_test, the_stub_page_runs_read_only_and_is_freed_after_the_sites_are_given_back) {
    load();
    real_free = reinterpret_cast<decltype(real_free)>(
        tap_import(module_, "KERNEL32.dll", "VirtualFree", reinterpret_cast<void*>(&watched_free)));
    ASSERT_NE(real_free, nullptr);
    sim::run_event_site(sim::event_site::init);
    const std::uint32_t stub = call_target(host_address::draw_call_site);
    EXPECT_FALSE(inside_module(stub));
    EXPECT_EQ(page_of(stub).Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));

    std::vector<bool> host_code_back;
    host_code_back_at_free = &host_code_back;
    unload();
    host_code_back_at_free = nullptr;
    EXPECT_EQ(host_code_back, std::vector<bool>{true}) << "one page, freed after the last site";
    EXPECT_EQ(page_of(stub).State, static_cast<DWORD>(MEM_FREE));
}

TEST_F(module_test, a_stub_left_behind_is_turned_with_a_flush_and_stays_read_only) {
    load();
    real_flush = reinterpret_cast<decltype(real_flush)>(tap_import(
        module_, "KERNEL32.dll", "FlushInstructionCache", reinterpret_cast<void*>(&traced_flush)));
    ASSERT_NE(real_flush, nullptr);
    const std::uint32_t stub = call_target(host_address::draw_call_site);
    const HMODULE other = load_foreign_plugin(host_address::draw_call_site);
    std::vector<flush> seen;
    flushes = &seen;
    unload();
    flushes = nullptr;
    // Its displacement, turned to lead past the module, runs only once flushed.
    EXPECT_NE(std::find(seen.begin(), seen.end(), flush{stub + 1, 4}), seen.end());
    EXPECT_EQ(page_of(stub).Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
    FreeLibrary(other);
    sim::restore_code();
}

TEST_F(module_test, a_text_site_taken_again_frees_its_stub_unless_another_call_may_lead_to_it) {
    const std::uint32_t site = host_address::hud_text_a_call_site;
    const auto host_call = live_bytes(site, 5);
    for (bool foreign_call_on_top : {false, true}) {
        SCOPED_TRACE(foreign_call_on_top ? "another plug-in's call on top" : "the host's call");
        load();
        sim::run_event_site(sim::event_site::init);
        const std::uint32_t stub = call_target(site);
        // Five games in which something writes the host's own call back.
        for (int game = 0; game < 5; ++game) {
            injector::write_bytes(site, host_call.data(), 5, true);
            sim::run_event_site(sim::event_site::init);
            ASSERT_TRUE(reaches_module(site));
        }
        const HMODULE other = foreign_call_on_top ? load_foreign_plugin(site) : nullptr;
        unload();
        EXPECT_EQ(page_of(stub).State == MEM_COMMIT, foreign_call_on_top);
        if (other != nullptr) {
            FreeLibrary(other);
        }
        sim::restore_code();
    }
}
