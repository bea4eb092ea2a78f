// Two copies of the module in one game, as players end up with: the one
// loaded first works alone, a later one takes nothing and says which copy
// is at work; once the working copy is gone, a copy loaded after it works.
#include "module_fixture.hpp"

#include "files/module_files.hpp"
#include "simhost/import_tap.hpp"

using sim::host_fn;

namespace {

constexpr char second_file[] = "speedometer (1).dll";
constexpr wchar_t second_log[] = L"speedometer (1).log";

// The host calls of one frame in a vehicle, and where text site a draws.
void expect_one_gauge() {
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    EXPECT_EQ(sim::calls().size(), 38u);
    sim::clear_calls();
    sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
    ASSERT_EQ(sim::count_of(host_fn::hud_text_a), 1u);
    EXPECT_EQ(sim::calls_of(host_fn::hud_text_a)[0].float_arg(0), 1500.0f - 355.0f);
}

DWORD WINAPI load_second_copy(void* loaded) {
    *static_cast<HMODULE*>(loaded) = LoadLibraryA(second_file);
    return 0;
}

// The view of a section of reserved pages only, as Windows maps it: reading
// faults (where Wine reads zeros).
LPVOID WINAPI map_reserved_only(HANDLE, DWORD, DWORD, DWORD, SIZE_T) {
    return VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_READWRITE);
}

std::string path_of(HMODULE module) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    char utf8[MAX_PATH * 3];
    to_utf8(path, utf8, sizeof utf8);
    return utf8;
}

} // namespace

TEST_F(module_test, a_second_copy_takes_nothing_and_names_the_copy_at_work) {
    ASSERT_TRUE(CopyFileA(module_file, second_file, FALSE));
    load();
    HMODULE second = nullptr; // loaded by another thread of the same game
    const HANDLE thread = CreateThread(nullptr, 0, &load_second_copy, &second, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ASSERT_NE(second, nullptr);
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    expect_one_gauge();
    EXPECT_EQ(log_lines(second_log),
              std::vector<std::string>{
                  "not running: another copy of the module is at work in this game: " +
                  path_of(module_) + "\r"});
    EXPECT_TRUE(log_lines().empty());

    const auto changed = sim::changed_code_bytes();
    FreeLibrary(second);
    // A mark whose pages cannot be read counts as a copy at work too.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto real_map = tap_export(kernel, "MapViewOfFile", &map_reserved_only);
    FreeLibrary(LoadLibraryA(second_file));
    tap_export(kernel, "MapViewOfFile", real_map);
    EXPECT_EQ(log_lines(second_log),
              std::vector<std::string>{"not running: another copy of the "
                                       "module is at work in this game: \r"});
    EXPECT_EQ(sim::changed_code_bytes(), changed);
    expect_one_gauge();

    // The mark goes with the copy at work: a copy loaded later works.
    unload();
    const HMODULE later = LoadLibraryA(second_file);
    ASSERT_NE(later, nullptr);
    sim::run_event_site(sim::event_site::init);
    expect_one_gauge();
    FreeLibrary(later);
    EXPECT_TRUE(sim::changed_code_bytes().empty());
    DeleteFileW(second_log);
    DeleteFileA(second_file);
}
