// The settings file beside the real module: read when the host starts a game,
// wherever the game folder is, and followed while it runs, with the module's
// clock (GetTickCount) and toggle key (GetAsyncKeyState) answered through its
// own imports, while the game's window or another program's is in front.
#include "module_fixture.hpp"
#include "simhost/import_tap.hpp"

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

using sim::host_fn;

namespace {

constexpr char settings_file[] = "speedometer.ini"; // beside speedometer.dll

bool key_down = false;
int key_polls = 0;
std::vector<int> keys_held; // besides H

SHORT WINAPI fake_key_state(int key) {
    ++key_polls;
    const bool held = std::find(keys_held.begin(), keys_held.end(), key) != keys_held.end();
    return (key == 'H' && key_down) || held ? static_cast<SHORT>(0x8000) : 0;
}

DWORD clock_ms = 0;

DWORD WINAPI fake_tick_count() {
    return clock_ms;
}

// Another program at the file while the module reads it: an editor that
// saves anew just as a read ends, or a backup or virus scanner that holds it
// shut from the nth read on.
decltype(&GetPrivateProfileSectionW) real_profile_section = nullptr;
const char* saved_at_next_read = nullptr;
int reads = 0;
int held_from_read = 0;              // 0: never
int held_until_read = 0;             // the first read it is open again for; 0: until let go
bool let_go_as_read_returns = false; // before the module can look at the file again
HANDLE holder = INVALID_HANDLE_VALUE;
int all_reads = 0;
// What the system hands back in place of reading the file: entries, each
// ended by a zero, filled up with comment entries to a length; empty: read.
std::wstring section_answer;
DWORD answer_length = 0;

void let_go() {
    held_from_read = 0;
    CloseHandle(holder);
    holder = INVALID_HANDLE_VALUE;
}

void hold_for_reads(int from, int until = 0) {
    reads = 0;
    held_from_read = from;
    held_until_read = until;
}

void after_a_profile_read(LPCWSTR path) {
    if (saved_at_next_read != nullptr) {
        std::ofstream(path, std::ios::binary) << saved_at_next_read;
        saved_at_next_read = nullptr;
    }
}

void at_a_profile_read(LPCWSTR path) {
    ++reads;
    ++all_reads;
    if (held_until_read != 0 && reads >= held_until_read) {
        let_go();
    }
    if (held_from_read != 0 && reads >= held_from_read && holder == INVALID_HANDLE_VALUE) {
        holder = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
}

// A system that takes a UTF-8 byte-order mark as the first line's start,
// where Wine skips it: it reads a copy whose mark no system knows.
bool keeps_mark = false;

DWORD WINAPI tapped_profile_section(LPCWSTR section, LPWSTR text, DWORD capacity, LPCWSTR path) {
    at_a_profile_read(path);
    if (!section_answer.empty()) {
        std::wstring answer = section_answer;
        answer.resize(std::min<DWORD>(answer_length, capacity - 2), L';');
        answer.resize(capacity, L'\0');
        std::wmemcpy(text, answer.data(), capacity);
        return answer_length;
    }
    if (keeps_mark) {
        std::ifstream file(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const bool marked = bytes.starts_with("\xEF\xBB\xBF");
        std::ofstream(L"kept_mark.ini", std::ios::binary)
            << (marked ? "xxx" : "") << bytes.substr(marked ? 3 : 0);
    }
    const DWORD length =
        real_profile_section(section, text, capacity, keeps_mark ? L".\\kept_mark.ini" : path);
    DeleteFileW(L"kept_mark.ini");
    after_a_profile_read(path);
    if (let_go_as_read_returns) {
        let_go();
        let_go_as_read_returns = false;
    }
    return length;
}

// The module's pauses, on its own clock.
DWORD slept_ms = 0;

void WINAPI fake_sleep(DWORD ms) {
    slept_ms += ms;
    clock_ms += ms;
}

// A module path the system had to cut to MAX_PATH characters, whose first
// MAX_PATH - 1 name a real settings file beside the module: a cut path is
// no path of the module's, whatever it happens to name.
DWORD path_length = 0;

DWORD WINAPI cut_module_file_name(HMODULE, LPWSTR path, DWORD capacity) {
    wchar_t folder[MAX_PATH];
    const DWORD folder_length = GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring cut = std::wstring(folder, folder_length) + L"\\speedometer.";
    cut.resize(path_length, L'x');
    cut.resize(capacity - 1);
    std::wmemcpy(path, cut.c_str(), capacity);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return capacity;
}

// Sets the file's last-write time back to stamp, as a file system with
// coarse times shows two saves within one tick.
void set_write_time(const FILETIME& stamp) {
    const HANDLE file = CreateFileA("speedometer.ini", FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
}

FILETIME write_time() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA("speedometer.ini", GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class module_settings : public module_test {
  protected:
    void SetUp() override {
        module_test::SetUp();
        DeleteFileA(settings_file);
        load();
        key_down = false;
        keys_held.clear();
        key_polls = 0;
        clock_ms = 0;
        ASSERT_NE(tap_import(module_, "USER32.dll", "GetAsyncKeyState", &fake_key_state), nullptr);
        ASSERT_NE(tap_import(module_, "KERNEL32.dll", "GetTickCount", &fake_tick_count), nullptr);
        ASSERT_NE(tap_import(module_, "KERNEL32.dll", "Sleep", &fake_sleep), nullptr);
        slept_ms = 0;
        all_reads = 0;
        section_answer.clear();
        ASSERT_TRUE(sim::bring_host_window_to_front());
        reads = 0;
        saved_at_next_read = nullptr;
        real_profile_section = tap_import(module_, "KERNEL32.dll", "GetPrivateProfileSectionW",
                                          &tapped_profile_section);
        ASSERT_NE(real_profile_section, nullptr);
    }
    void TearDown() override {
        let_go();
        let_go_as_read_returns = false;
        keeps_mark = false;
        module_test::TearDown();
        DeleteFileA(settings_file);
    }

    static void write_settings(const char* text) {
        std::ofstream(settings_file, std::ios::binary) << text;
    }
    // A game started with these lines in the settings section, then a vehicle
    // entered at half speed.
    void start_a_game_with(const char* lines) {
        write_settings_lines(lines);
        sim::run_event_site(sim::event_site::init);
        enter_vehicle(0.5f);
    }
    // A frame ms after the last, and one more a quarter of a second later: a
    // changed file is read once it has held still that long.
    static std::size_t frame_after(DWORD ms) {
        clock_ms += ms;
        renders_in_a_frame();
        clock_ms += 250;
        return renders_in_a_frame();
    }
    static std::size_t renders_in_a_frame() {
        sim::clear_calls();
        sim::run_event_site(sim::event_site::draw);
        return sim::count_of(host_fn::render_2d);
    }
    static float text_x_after_shift() {
        sim::clear_calls();
        sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
        const auto calls = sim::calls_of(host_fn::hud_text_a);
        return calls.empty() ? -1.0f : calls[0].float_arg(0);
    }
};

TEST_F(module_settings, are_read_at_each_init_not_at_load) {
    write_settings("[speedometer]\nhud_text_shift = off\n");
    sim::run_event_site(sim::event_site::init);
    for (std::uint32_t site : text_sites()) {
        EXPECT_FALSE(reaches_module(site)) << std::hex << site;
    }
    write_settings("[speedometer]\nscale = 2\n");
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 710.0f);
    EXPECT_EQ(key_polls, 0) << "no toggle key, no key look-ups";
}

TEST_F(module_settings, the_toggle_key_hides_and_shows_on_each_press) {
    start_a_game_with("toggle_key = H");
    const struct {
        bool down;
        bool shown;
    } frames[] = {{false, true}, {true, false}, {true, false}, {false, false},
                  {true, true},  {true, true},  {false, true}};
    for (const auto& f : frames) {
        key_down = f.down;
        const std::size_t renders = renders_in_a_frame();
        if (f.shown) {
            EXPECT_EQ(renders, 9u);
            EXPECT_EQ(text_x_after_shift(), 1500.0f - 355.0f);
        } else {
            ASSERT_EQ(sim::calls().size(), 1u) << "a hidden frame calls only the host's callee";
            EXPECT_EQ(sim::calls()[0].fn, host_fn::draw_callee);
            EXPECT_EQ(text_x_after_shift(), 1500.0f);
        }
    }
    EXPECT_EQ(key_polls, 8) << "one a frame and one at init";

    // A new game starts shown, and a key held down through its init is no
    // press: only a new one hides.
    key_down = true;
    renders_in_a_frame();
    sim::run_event_site(sim::event_site::init);
    const struct {
        bool down;
        std::size_t renders;
    } after_init[] = {{true, 9}, {true, 9}, {false, 9}, {true, 0}};
    for (const auto& f : after_init) {
        key_down = f.down;
        EXPECT_EQ(renders_in_a_frame(), f.renders);
    }

    // A reload keeps the gauge hidden, unless the file names another key.
    key_down = false;
    write_settings_lines("toggle_key = H\nscale = 2");
    EXPECT_EQ(frame_after(1000), 0u) << "the same key: still hidden";
    write_settings_lines("toggle_key = J\nscale = 2");
    EXPECT_EQ(frame_after(1000), 9u) << "a new key: shown";
}

TEST_F(module_settings, a_press_while_another_programs_window_is_in_front_is_not_for_the_game) {
    start_a_game_with("toggle_key = H");
    const auto press = [] {
        key_down = true;
        const std::size_t renders = renders_in_a_frame();
        key_down = false;
        renders_in_a_frame();
        return renders;
    };
    // A program a player might type into while the game draws behind it.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    wchar_t command[] = L"notepad.exe";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &other));
    DWORD front = 0;
    for (int wait = 0; wait < 250 && front != other.dwProcessId; ++wait, Sleep(20)) {
        GetWindowThreadProcessId(GetForegroundWindow(), &front);
    }
    EXPECT_EQ(front, other.dwProcessId);
    EXPECT_EQ(press(), 9u) << "typed into the other program";
    TerminateProcess(other.hProcess, 0);
    WaitForSingleObject(other.hProcess, 5000);
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);
    ASSERT_TRUE(sim::bring_host_window_to_front());
    EXPECT_EQ(press(), 0u) << "pressed in the game";
}

TEST_F(module_settings, are_found_in_a_folder_named_in_any_language) {
    unload();
    for (const wchar_t* name : {L"\u0418\u0433\u0440\u0430", L"\u6e38\u620f"}) {
        wchar_t folder[MAX_PATH];
        ASSERT_NE(GetFullPathNameW(name, MAX_PATH, folder, nullptr), 0u);
        const std::wstring dll = std::wstring(folder) + L"\\speedometer.dll";
        const std::wstring ini = std::wstring(folder) + L"\\speedometer.ini";
        const std::wstring log = std::wstring(folder) + L"\\speedometer.log";
        CreateDirectoryW(folder, nullptr);
        ASSERT_TRUE(CopyFileW(L"speedometer.dll", dll.c_str(), FALSE));
        std::ofstream(ini.c_str(), std::ios::binary) << "[speedometer]\nscale = 2\nunits = knots\n";

        module_ = LoadLibraryW(dll.c_str());
        ASSERT_NE(module_, nullptr);
        sim::run_event_site(sim::event_site::init);
        enter_vehicle(0.5f);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - 710.0f) << "the file was read";
        unload();

        char ini_utf8[MAX_PATH * 3];
        WideCharToMultiByte(CP_UTF8, 0, ini.c_str(), -1, ini_utf8, sizeof ini_utf8, nullptr,
                            nullptr);
        const std::string refused =
            "units = \"knots\" is not allowed (kmh or mph); the default is used (";
        EXPECT_EQ(log_lines(log.c_str()), std::vector<std::string>{refused + ini_utf8 + ")\r"});
        for (const std::wstring& path : {dll, ini, log}) {
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW(folder);
    }
}

TEST_F(module_settings, a_change_shows_within_a_second_but_units_and_text_shift_wait_for_a_game) {
    clock_ms = static_cast<DWORD>(-2000); // the count wraps during the game
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    renders_in_a_frame();
    const float kmh_face_u = sim::render_batches().at(0).vertices.at(0).u;
    const std::size_t unchecked = sim::calls().size();
    clock_ms += 1000;
    renders_in_a_frame();
    EXPECT_EQ(sim::calls().size(), unchecked) << "without a file, looking at it calls nothing";

    const struct {
        const char* file; // nullptr: deleted; "": as it was
        DWORD ms;
        bool held_shut; // by an editor, say
        float shift;
        float dial_left;
        std::size_t log_lines;
    } steps[] = {
        {"offset_x = 100", 999, false, 355.0f, 1566.0f, 0}, // not looked at yet
        {"", 1, false, 455.0f, 1466.0f, 0},                 // a second later, across the wrap
        {nullptr, 1000, false, 455.0f, 1466.0f, 0},         // gone: kept
        {"scale = 2", 1000, false, 710.0f, 1212.0f, 0},     // back: read
        {"scale = 9.0", 1000, false, 355.0f, 1566.0f, 1},   // refused: the default
        {"scale = 0.5", 1000, true, 355.0f, 1566.0f, 1},    // kept until it can be read
        {"", 1000, false, 177.0f, 1743.0f, 1},
        // Told once that they wait, and again when asked anew.
        {"hud_text_shift = off", 1000, false, 355.0f, 1566.0f, 2},
        {"hud_text_shift = off\nscale = 2", 1000, false, 710.0f, 1212.0f, 2},
        {"hud_text_shift = off\nscale = 2\nunits = mph", 1000, false, 710.0f, 1212.0f, 3},
        {"scale = 2", 1000, false, 710.0f, 1212.0f, 3}, // asks for what is in force
        {"hud_text_shift = OFF", 1000, false, 355.0f, 1566.0f, 4},
        {"anchor = 4:3", 1000, false, 355.0f, 1326.0f, 4}, // the text stays shifted
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.file != nullptr ? s.file : "(deleted)");
        if (s.file == nullptr || *s.file != '\0') {
            write_settings_lines(s.file);
        }
        const HANDLE held = s.held_shut ? CreateFileA(settings_file, GENERIC_READ, 0, nullptr,
                                                      OPEN_EXISTING, 0, nullptr)
                                        : INVALID_HANDLE_VALUE;
        frame_after(s.ms);
        EXPECT_EQ(sim::render_batches().at(0).vertices.at(0).x, s.dial_left);
        EXPECT_EQ(sim::render_batches().at(0).vertices.at(0).u, kmh_face_u);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - s.shift);
        EXPECT_EQ(log_lines().size(), s.log_lines);
        CloseHandle(held);
    }
    const auto lines = log_lines();
    EXPECT_NE(lines.at(0).find("scale = \"9.0\" is not allowed"), std::string::npos) << lines[0];
    EXPECT_TRUE(lines.at(2).starts_with("units = mph takes effect at the next game ("));
}

TEST_F(module_settings, the_settings_in_force_stay_through_a_half_saved_or_huge_file) {
    start_a_game_with("scale = 2\ntoggle_key = H");
    key_down = true; // hides
    renders_in_a_frame();
    key_down = false;
    const std::string head = "[speedometer]\ntoggle_key = H\nscale = ";
    // Scale 2 and then a comment up to the size.
    const auto padded_to = [&](std::size_t size) {
        std::string text = head + "2\n;";
        text.resize(size, ';');
        return text;
    };
    const std::string in_pieces = "[speedometer]\nscale = 0.5\n";
    const struct {
        std::string file;
        const char* saved_while_read; // nullptr: not
        float shift;                  // 0: hidden
        std::size_t log_lines;
    } steps[] = {
        {in_pieces, nullptr, 0.0f, 0},          // saved in two pieces: read once whole
        {"", nullptr, 0.0f, 0},                 // emptied: still hidden
        {head + "2\n", "", 0.0f, 0},            // emptied while read: still hidden
        {"\n", nullptr, 355.0f, 0},             // a file without the section: no key
        {head + "2\n", nullptr, 710.0f, 0},     // read
        {head + "0.5\n", "", 710.0f, 0},        // emptied while read: kept
        {head + "0.5\n", nullptr, 177.0f, 0},   // read whole a second later
        {head + "9\n", "\n", 177.0f, 0},        // a refused value, thrown away: not told
        {head + "2\n", nullptr, 710.0f, 0},     // and mended
        {padded_to(65537), nullptr, 710.0f, 1}, // not read
        {padded_to(65538), nullptr, 710.0f, 1}, // saved again, larger: told once
        {padded_to(65536), nullptr, 710.0f, 1}, // read
        {padded_to(65537), nullptr, 710.0f, 2}, // too large again: told again
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.file.substr(0, 48));
        write_settings(s.file.c_str());
        saved_at_next_read = s.saved_while_read;
        if (s.file == in_pieces) {
            clock_ms += 1000; // seen changed, then written on within the quarter second
            renders_in_a_frame();
            write_settings((head + "0.5\n").c_str());
        }
        frame_after(1000);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - s.shift);
        EXPECT_EQ(renders_in_a_frame(), s.shift == 0.0f ? 0u : 9u);
        EXPECT_EQ(log_lines().size(), s.log_lines);
    }

    // Saved as a new game reads it: the read is not kept, and the game starts
    // with the new file once it held still.
    write_settings((head + "2\n").c_str());
    saved_at_next_read = "[speedometer]\nscale = 0.5\n";
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 177.0f);
    // Deleted for good: gone still a quarter of a second later, the defaults.
    write_settings_lines(nullptr);
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 355.0f);
}

TEST_F(module_settings, a_read_cut_short_by_another_program_changes_nothing_until_read_whole) {
    start_a_game_with("scale = 0.5\ntoggle_key = H");
    key_down = true; // hides
    renders_in_a_frame();
    key_down = false;
    // Held shut as it is read: kept, hidden, and read whole a second after it
    // is let go, although the file's stamp did not change since.
    write_settings_lines("scale = 2\ntoggle_key = H");
    hold_for_reads(1);
    EXPECT_EQ(frame_after(1000), 0u) << "still hidden";
    let_go();
    EXPECT_EQ(frame_after(1000), 0u) << "the same key: still hidden";
    key_down = true; // shows
    renders_in_a_frame();
    key_down = false;
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 710.0f);

    // At a new game, let go within the pause it is given, and not.
    const struct {
        const char* file;
        int held_until; // -1: let go just as the first read returns
        float shift_at_init;
        float shift_a_second_later;
        const char* before_section = "";
    } games[] = {
        {"units = mph\nscale = 2", 3, 710.0f, 710.0f},
        {"units = mph\nscale = 0.5", 0, 710.0f, 177.0f}, // as the last game, then read
        {"units = mph\nscale = 2", -1, 710.0f, 710.0f},  // not the defaults
        {"units = mph\nscale = 0.5", -1, 177.0f, 177.0f, "\xEF\xBB\xBF"},
    };
    for (const auto& game : games) {
        SCOPED_TRACE(game.file);
        write_settings((std::string(game.before_section) + "[speedometer]\n" + game.file).c_str());
        hold_for_reads(1, std::max(game.held_until, 0));
        let_go_as_read_returns = game.held_until < 0;
        sim::run_event_site(sim::event_site::shutdown);
        sim::clear_calls();
        sim::run_event_site(sim::event_site::init);
        EXPECT_EQ(sim::calls_of(host_fn::load_txd).at(0).text_arg(0),
                  "models\\speedometer_mph.txd");
        EXPECT_EQ(text_x_after_shift(), 1500.0f - game.shift_at_init);
        let_go();
        frame_after(1000);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - game.shift_a_second_later);
    }
    EXPECT_EQ(log_lines().size(), 1u) << "the byte-order mark, told once";
}

TEST_F(module_settings, are_read_when_they_changed_and_held_still_and_retried_with_pauses) {
    // A first game reads at once a file written years ago by the system's
    // clock, and waits to see one dated in the future (year 30,599) held still.
    for (const DWORD written : {0x01D00000u, 0x7F000000u}) {
        TearDown();
        SetUp();
        write_settings_lines("scale = 2");
        set_write_time({0, written});
        sim::run_event_site(sim::event_site::init);
        EXPECT_EQ(slept_ms, written == 0x01D00000u ? 0u : 250u);
    }
    slept_ms = 0;
    enter_vehicle(0.5f);
    enum class at { frame, new_game };
    const struct {
        at when;
        const char* file; // nullptr: as it was
        DWORD ms;         // on the module's clock, before it
        int hold;         // 1: held shut from now on, -1: let go
        int reads;        // in all, since the first game's
        DWORD slept_ms;   // in all
        float shift;
        std::size_t log_lines;
    } steps[] = {
        {at::frame, nullptr, 1000, 0, 1, 0, 710.0f, 0}, // unchanged: not read
        {at::frame, "scale = 0.5", 1000, 0, 1, 0, 710.0f, 0},
        {at::frame, nullptr, 249, 0, 1, 0, 710.0f, 0}, // not yet held still
        {at::frame, nullptr, 1, 0, 2, 0, 177.0f, 0},
        {at::frame, "scale = 0.5\nunits = mph", 1000, 0, 2, 0, 177.0f, 0},
        {at::frame, nullptr, 250, 0, 3, 0, 177.0f, 1}, // units wait for the next game
        // Held shut through a new game: five reads 50 ms apart, then the
        // last read in full, units included.
        {at::new_game, nullptr, 0, 1, 8, 200, 177.0f, 1},
        {at::frame, nullptr, 999, 0, 8, 200, 177.0f, 1},
        {at::frame, nullptr, 1, 0, 9, 200, 177.0f, 1}, // a second later, and each second
        // 10 s after the first read cut short: told once, and a new game no
        // longer waits.
        {at::frame, nullptr, 8799, 0, 10, 200, 177.0f, 1}, // 9,999 ms
        {at::frame, nullptr, 1000, 0, 11, 200, 177.0f, 2},
        {at::frame, nullptr, 1000, 0, 12, 200, 177.0f, 2},
        {at::new_game, nullptr, 0, 0, 13, 200, 177.0f, 2},
        // Read again: the next episode waits and is told anew.
        {at::frame, "scale = 2\nunits = mph", 1000, -1, 13, 200, 177.0f, 2},
        {at::frame, nullptr, 250, 0, 14, 200, 710.0f, 2},
        {at::new_game, nullptr, 0, 1, 19, 400, 710.0f, 2},
        {at::frame, nullptr, 10000, 0, 20, 400, 710.0f, 3},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "at read " << s.reads);
        if (s.hold < 0) {
            let_go();
        }
        if (s.file != nullptr) {
            write_settings_lines(s.file);
        }
        if (s.hold > 0) {
            hold_for_reads(1);
        }
        clock_ms += s.ms;
        if (s.when == at::new_game) {
            sim::run_event_site(sim::event_site::shutdown);
            sim::clear_calls();
            sim::run_event_site(sim::event_site::init);
            EXPECT_EQ(sim::calls_of(host_fn::load_txd).at(0).text_arg(0),
                      "models\\speedometer_mph.txd");
        } else {
            renders_in_a_frame();
        }
        EXPECT_EQ(all_reads, s.reads);
        EXPECT_EQ(slept_ms, s.slept_ms);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - s.shift);
        EXPECT_EQ(log_lines().size(), s.log_lines);
    }
    EXPECT_TRUE(log_lines().at(1).starts_with(
        "speedometer.ini could not be read for 10 s; another program may hold it open; the "
        "settings last read stay"));
}

TEST_F(module_settings, a_file_saved_again_and_again_is_read_after_three_seconds_of_it) {
    start_a_game_with("scale = 2");
    clock_ms += 750;
    std::vector<int> read_at_looks;
    for (int look = 1; look <= 40; ++look) {
        // Another size at each save: a new stamp whatever the clock's grain.
        write_settings_lines(look % 2 == 0 ? "scale = 0.5" : "scale = 0.5\n;");
        clock_ms += 250;
        const int reads_before = all_reads;
        renders_in_a_frame();
        if (all_reads != reads_before) {
            read_at_looks.push_back(look);
        }
    }
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 177.0f);
    EXPECT_EQ(read_at_looks, (std::vector<int>{13, 25, 37}))
        << "seen changing first at look 1, then read every 3 s, not every second";
}

TEST_F(module_settings, the_section_is_taken_as_the_system_hands_it_back) {
    const std::wstring tabbed(L"\tscale\t=\t2\0", 13);
    const std::wstring half(L"scale=0.5\0", 10);
    const DWORD capacity = 64 * 1024 + 2;
    const struct {
        const std::wstring answer;
        DWORD length;
        float shift;
    } cases[] = {
        {tabbed, 13, 710.0f},                           // tabs around key and value are blanks
        {std::wstring(L"scale= 2 \0", 10), 10, 710.0f}, // as written: a blank after '='

        // Filled to one short of the brim: whole. To the brim: perhaps cut,
        // so the game starts with the last read in full.
        {half, capacity - 3, 177.0f},
        {tabbed, capacity - 2, 177.0f},
    };
    write_settings_lines(""); // there to be read
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        section_answer = c.answer;
        answer_length = c.length;
        sim::run_event_site(sim::event_site::init);
        enter_vehicle(0.5f);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - c.shift);
        sim::run_event_site(sim::event_site::shutdown);
    }
    // A system that keeps a byte-order mark finds no section after it: asked
    // once more, then read as empty at once, and told.
    write_settings("\xEF\xBB\xBF[speedometer]\nscale = 2\n");
    section_answer = std::wstring(1, L'\0');
    answer_length = 0;
    all_reads = 0;
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 355.0f);
    EXPECT_EQ(all_reads, 2);
    EXPECT_NE(log_lines().at(0).find("byte-order mark"), std::string::npos);

    // The mark's reading is learned only from a file unchanged across its section
    // and bytes reads, and replaced by a later read that shows the other; a
    // wrong one makes every empty read cut short, retried for 200 ms.
    section_answer.clear();
    const char* const marked = "\xEF\xBB\xBF[speedometer]\nscale = 2\n";
    const struct {
        bool keeps_mark;
        const char* file;
        const char* saved_at_next_read;
        int reads;
        float shift;
    } games[] = {
        {true, "[speedometer]\nscale = 2\n", marked, 3, 355.0f}, // the mark added by a save
        {false, marked, nullptr, 1, 710.0f},                     // learned: skipped
        {true, "\xEF\xBB\xBF[speedometer]\n[speedometer]\nscale = 0.5\n", nullptr, 1, 177.0f},
        {true, marked, nullptr, 1, 355.0f}, // read as empty at once
    };
    for (const auto& game : games) {
        SCOPED_TRACE(game.file);
        keeps_mark = game.keeps_mark;
        write_settings(game.file);
        saved_at_next_read = game.saved_at_next_read;
        all_reads = 0;
        sim::run_event_site(sim::event_site::init);
        EXPECT_EQ(all_reads, game.reads);
        EXPECT_EQ(text_x_after_shift(), 1500.0f - game.shift);
    }
}

TEST_F(module_settings, a_change_is_seen_by_its_size_when_the_time_stays_and_told_in_each_game) {
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    write_settings_lines("scale = 2");
    const FILETIME stamp = write_time();
    frame_after(1000);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 710.0f);
    write_settings_lines("scale = 0.5");
    set_write_time(stamp);
    frame_after(1000);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 177.0f) << "another size, the same time";

    // A units request in each of two games is told in each.
    const char* const games[] = {"scale = 1", "units = kmh"};
    for (const char* at_init : games) {
        write_settings_lines(at_init);
        sim::run_event_site(sim::event_site::shutdown);
        sim::run_event_site(sim::event_site::init);
        write_settings_lines("units = mph");
        frame_after(1000);
    }
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with("units = mph takes effect at the next game")) << line;
    }
}

TEST_F(module_settings, are_not_looked_for_beside_a_module_path_the_system_cut) {
    ASSERT_NE(tap_import(module_, "KERNEL32.dll", "GetModuleFileNameW", &cut_module_file_name),
              nullptr);
    write_settings_lines("scale = 2");
    path_length = MAX_PATH + 20;
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 355.0f) << "the defaults, not a cut path's file";
}

TEST_F(module_settings, opacity_shows_within_a_second_but_a_skin_waits_for_a_game) {
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    const auto face_alpha = [] { return sim::render_batches().at(0).vertices.at(0).colour >> 24; };
    const struct {
        const char* file;
        std::uint32_t alpha;
        std::size_t log_lines;
    } steps[] = {
        {"opacity = 0.5", 128, 0},
        {"opacity = 0.5\nskin = carbon", 128, 1},
        {"opacity = 0.1\nskin = carbon", 26, 1}, // told once
        {"opacity = 1.0", 255, 1},               // back to what is in force
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.file);
        write_settings_lines(s.file);
        frame_after(1000);
        EXPECT_EQ(face_alpha(), s.alpha);
        EXPECT_EQ(log_lines().size(), s.log_lines);
    }
    EXPECT_TRUE(log_lines().at(0).starts_with("skin = carbon takes effect at the next game ("));
    sim::clear_calls();
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(sim::calls_of(host_fn::load_txd).at(0).text_arg(0), "models\\speedometer.txd");
}

TEST_F(module_settings, a_layout_drive_moves_and_scales_the_gauge_and_saves_only_its_place) {
    // offset_y reads as the value saved, and so does the scale of more digits
    // than a step has: their text stays.
    const std::string file =
        "; my gauge\r\n[speedometer]\r\nlayout_key = F8\r\nscale = 1.0000001\r\n"
        "offset_y = 00\r\n; between\r\noffset_x = 10\r\n[other]\r\nx = 1\r\n";
    write_settings(file.c_str());
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    // What the player, or another program, does to the file before a frame.
    const auto edit = [&] { // within one tick of a coarse clock, at the same size
        const FILETIME stamp = write_time();
        write_settings(std::string(file).replace(file.find("1.0000001"), 9, "1.0000002").c_str());
        set_write_time(stamp);
    };
    const auto read_only = [] { SetFileAttributesA(settings_file, FILE_ATTRIBUTE_READONLY); };
    const auto writable = [] { SetFileAttributesA(settings_file, FILE_ATTRIBUTE_NORMAL); };
    const auto hold_open = [] {
        holder = CreateFileA(settings_file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const struct {
        std::vector<int> keys;
        std::size_t renders; // 13: the gauge and the mode's frame
        float dial_left;     // 1920 - (354 * scale + offset_x), whole pixels
        std::size_t log_lines;
        std::function<void()> before = nullptr;
        bool then_read = false; // then 1.25 s pass: the follower reads the file
    } frames[] = {
        {{VK_LEFT}, 9, 1556.0f, 0}, // not in the mode: the game's key alone
        {{VK_F8}, 13, 1556.0f, 0},
        {{VK_LEFT}, 13, 1555.0f, 0},
        {{VK_LEFT}, 13, 1555.0f, 0}, // held, not yet repeating
        {{}, 13, 1555.0f, 0},
        {{VK_SHIFT, VK_LEFT}, 13, 1545.0f, 0},
        {{VK_PRIOR, VK_UP}, 13, 1528.0f, 0}, // scale 1.05
        {{VK_HOME}, 13, 1556.0f, 0},         // the file's values
        {{VK_LEFT}, 13, 1555.0f, 0},
        {{VK_RETURN}, 13, 1555.0f, 1, edit, true},   // refused: changed since read
        {{VK_RETURN}, 9, 1555.0f, 1, nullptr, true}, // read again since: saved, left
        {{VK_F8}, 13, 1555.0f, 1},
        {{VK_RIGHT}, 13, 1556.0f, 1},
        {{VK_RETURN}, 13, 1556.0f, 2, read_only}, // refused, the mode open
        {{}, 13, 1556.0f, 2, writable},
        {{VK_RETURN}, 13, 1556.0f, 2, hold_open, true}, // tried again for 2 s
        {{}, 13, 1556.0f, 2, nullptr, true},            // then refused
        {{}, 13, 1556.0f, 3},
        {{VK_RETURN}, 9, 1556.0f, 3, let_go},
        {{VK_F8}, 13, 1556.0f, 3},
        {{VK_RIGHT}, 13, 1557.0f, 3},
        {{VK_ESCAPE}, 9, 1556.0f, 3}, // left without saving
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(testing::Message() << "frame " << &f - frames);
        if (f.before) {
            f.before();
        }
        keys_held = f.keys;
        clock_ms += 100;
        EXPECT_EQ(renders_in_a_frame(), f.renders);
        EXPECT_EQ(sim::render_batches().at(0).vertices.at(0).x, f.dial_left);
        EXPECT_EQ(log_lines().size(), f.log_lines);
        if (f.then_read) {
            keys_held.clear();
            frame_after(1000);
        }
    }
    slept_ms = 0;
    sim::run_event_site(sim::event_site::init); // the save's stamp has held still
    EXPECT_EQ(slept_ms, 0u);
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with(
        "the gauge's place was not saved: it was changed since the game read it"));
    EXPECT_TRUE(lines[1].starts_with("the gauge's place was not saved: it is read-only"));
    EXPECT_TRUE(lines[2].starts_with(
        "the gauge's place was not saved: another program holds the file open"));
    std::ifstream saved(settings_file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), file);
}

} // namespace
