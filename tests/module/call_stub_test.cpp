// The page of stubs the host's rewritten calls lead through: none of the
// host's code is taken without one, it is executable and read-only while
// the host runs through it, and it is freed once nothing can lead to it.
#include "module_fixture.hpp"
#include "simhost/import_tap.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <algorithm>
#include <optional>

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

MEMORY_BASIC_INFORMATION page_of(std::uint32_t address) {
    MEMORY_BASIC_INFORMATION page{};
    VirtualQuery(reinterpret_cast<const void*>(address), &page, sizeof page);
    return page;
}

} // namespace

TEST_F(module_test, with_no_memory_for_stubs_load_changes_no_host_byte_and_says_why) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    real_alloc = tap_export(kernel, "VirtualAlloc", &alloc_without_code);
    ASSERT_NE(real_alloc, nullptr);
    load();
    tap_export(kernel, "VirtualAlloc", real_alloc);

    EXPECT_TRUE(sim::changed_code_bytes().empty());
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(sim::count_of(sim::host_fn::load_txd), 0u);
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("not running: no memory for the call stubs")) << lines[0];
}

TEST_F(module_test, a_stub_runs_read_only_and_is_freed_once_nothing_can_lead_to_it) {
    const std::uint32_t site = host_address::hud_text_a_call_site;
    const auto host_call = live_bytes(site, 5);
    for (bool foreign_call_on_top : {false, true}) {
        SCOPED_TRACE(foreign_call_on_top ? "another plug-in's call on top" : "the host's call");
        load();
        real_free = tap_import(module_, "KERNEL32.dll", "VirtualFree", &watched_free);
        ASSERT_NE(real_free, nullptr);
        sim::run_event_site(sim::event_site::init);
        // With another plug-in's call on top to come, five games in which
        // something writes the host's own call back. Without, none: a stub
        // given back stays, as a plug-in's backup may still hold it.
        for (int game = 0; game < (foreign_call_on_top ? 5 : 0); ++game) {
            injector::write_bytes(site, host_call.data(), 5, true);
            sim::run_event_site(sim::event_site::init);
            ASSERT_TRUE(reaches_module(site));
        }
        for (std::uint32_t taken : {site, host_address::draw_call_site}) {
            EXPECT_FALSE(inside_module(call_target(taken)));
            EXPECT_EQ(page_of(call_target(taken)).Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
        }
        const std::uint32_t stub = call_target(site);

        std::optional<foreign_plugin> other;
        if (foreign_call_on_top) {
            other.emplace(site);
        }
        std::vector<bool> host_code_back;
        host_code_back_at_free = &host_code_back;
        flush_trace trace(module_);
        const auto image = module_image();
        unload();
        EXPECT_EQ(code_leading_into(image), 0u) << "no way back into the module's image";
        host_code_back_at_free = nullptr;
        if (foreign_call_on_top) {
            // Its displacement, turned to lead past the module, runs only once flushed.
            EXPECT_NE(std::ranges::find(trace.seen, flush{stub + 1, 4}), trace.seen.end());
            EXPECT_EQ(page_of(stub).Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
        } else {
            EXPECT_EQ(host_code_back, std::vector<bool>{true}) << "one page, freed after the last";
            EXPECT_EQ(page_of(stub).State, static_cast<DWORD>(MEM_FREE));
        }
        other.reset();
        sim::restore_code();
    }
}
