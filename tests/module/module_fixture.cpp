#include "module_fixture.hpp"

#include "files/module_log.hpp"

#include "assets/texture_dictionary.hpp"
#include "host/addresses.hpp"
#include "simhost/import_tap.hpp"
#include "support/test_atlas.hpp"

#include <cstring>
#include <fstream>

void module_test::SetUpTestSuite() {
    sim::install();
    // A run that crashed skipped its tests' clean-up: a log, settings or a
    // second copy of it would be taken for this run's.
    for (const char* left : {"speedometer.log", "speedometer.ini", "speedometer (1).log",
                             "speedometer (1).dll", "foreign (1).dll"})
        DeleteFileA(left);
    // The host reads its dictionaries from its current folder, and so does
    // the module's check of them: both km/h and mph, as the package has them.
    CreateDirectoryA("models", nullptr);
    ASSERT_TRUE(txd::write_file("models/speedometer.txd", {make_test_atlas_image()}));
    ASSERT_TRUE(txd::write_file("models/speedometer_mph.txd", {make_test_atlas_image()}));
    sim::set_asset_root("");
}

void module_test::SetUp() {
    sim::set_screen(1920, 1080);
    sim::clear_vehicle();
    sim::set_drawing_enabled(true);
    sim::set_call_logging(true);
    sim::clear_calls();
    ASSERT_TRUE(sim::changed_code_bytes().empty()) << "an earlier test left host code changed";
}

void module_test::TearDown() {
    unload();
    write_settings_lines(nullptr);
    DeleteFileA("speedometer.log");
}

void module_test::load() {
    module_ = LoadLibraryA(module_file);
    ASSERT_NE(module_, nullptr) << "LoadLibrary failed with " << GetLastError();
}

void module_test::unload() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

std::pair<std::uint32_t, std::uint32_t> module_test::module_image() const {
    return image_of(module_);
}

std::pair<std::uint32_t, std::uint32_t> image_of(HMODULE module) {
    const auto base = reinterpret_cast<std::uint32_t>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    return {base, base + nt->OptionalHeader.SizeOfImage};
}

bool module_test::inside_module(std::uint32_t address) const {
    const auto [first, past_last] = module_image();
    return address >= first && address < past_last;
}

std::uint32_t code_leading_into(std::pair<std::uint32_t, std::uint32_t> image) {
    constexpr DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    MEMORY_BASIC_INFORMATION region{};
    for (std::uint32_t next = 0x10000;
         VirtualQuery(reinterpret_cast<const void*>(next), &region, sizeof region) != 0;) {
        const auto base = reinterpret_cast<std::uint32_t>(region.BaseAddress);
        const std::uint32_t end = base + region.RegionSize;
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE &&
            (region.Protect & executable) != 0 && (region.Protect & PAGE_GUARD) == 0) {
            for (std::uint32_t at = base; at + 5 <= end; ++at) {
                const std::uint8_t opcode = *reinterpret_cast<const std::uint8_t*>(at);
                std::int32_t displacement;
                std::memcpy(&displacement, reinterpret_cast<const void*>(at + 1), 4);
                const std::uint32_t target = at + 5 + static_cast<std::uint32_t>(displacement);
                if ((opcode == 0xE8 || opcode == 0xE9) && target >= image.first &&
                    target < image.second) {
                    return at;
                }
            }
        }
        if (end <= next) {
            break;
        }
        next = end;
    }
    return 0;
}

std::uint32_t module_test::call_target(std::uint32_t site) const {
    const auto bytes = live_bytes(site, 5);
    if (bytes[0] != 0xE8) {
        return 0;
    }
    std::int32_t displacement;
    std::memcpy(&displacement, &bytes[1], 4);
    return site + 5 + static_cast<std::uint32_t>(displacement);
}

bool module_test::reaches_module(std::uint32_t site) const {
    const std::uint32_t stub = call_target(site);
    if (stub == 0) {
        return false;
    }
    const auto jump = live_bytes(stub, 5);
    if (jump[0] != 0xE9) {
        return inside_module(stub);
    }
    std::int32_t displacement;
    std::memcpy(&displacement, &jump[1], 4);
    return inside_module(stub + 5 + static_cast<std::uint32_t>(displacement));
}

void module_test::enter_vehicle(float speed, std::uint8_t status, std::int32_t kind) {
    sim::vehicle_state vehicle;
    vehicle.kind = kind;
    vehicle.speed[0] = speed;
    vehicle.status = status;
    sim::set_vehicle(vehicle);
}

std::vector<std::uint32_t> event_sites() {
    return {host_address::init_call_site, host_address::draw_call_site,
            host_address::shutdown_call_site};
}

std::vector<std::uint32_t> text_sites() {
    return {host_address::hud_text_a_call_site, host_address::hud_text_b_call_site};
}

std::vector<std::uint8_t> live_bytes(std::uint32_t address, std::size_t size) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(address);
    return {first, first + size};
}

void write_settings_lines(const char* lines) {
    if (lines == nullptr) {
        DeleteFileA("speedometer.ini");
    } else {
        std::ofstream("speedometer.ini", std::ios::binary) << "[speedometer]\n" << lines << "\n";
    }
}

std::vector<std::string> log_lines(const wchar_t* path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    // Every load's log starts with the release that wrote it.
    if (!lines.empty()) {
        EXPECT_EQ(lines.front() + "\n", log_first_line);
        lines.erase(lines.begin());
    }
    return lines;
}

namespace {

template <class F> F* exported(HMODULE module, const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

flush_trace* current_trace = nullptr;
decltype(&FlushInstructionCache) real_flush = nullptr;

BOOL WINAPI traced_flush(HANDLE process, LPCVOID address, SIZE_T size) {
    if (current_trace != nullptr && process == GetCurrentProcess()) {
        current_trace->seen.emplace_back(reinterpret_cast<std::uint32_t>(address), size);
    }
    return real_flush(process, address, size);
}

std::string copy_name(int copy) {
    return "foreign (" + std::to_string(copy) + ").dll";
}

} // namespace

foreign_plugin::foreign_plugin(std::uint32_t site, bool through_trampoline, int copy)
    : module(
          LoadLibraryA(copy > 0 && CopyFileA("foreign_plugin.dll", copy_name(copy).c_str(), FALSE)
                           ? copy_name(copy).c_str()
                           : "foreign_plugin.dll")) {
    EXPECT_NE(module, nullptr);
    if (module != nullptr) {
        exported<void(std::uint32_t, bool)>(module, "foreign_take_over")(site, through_trampoline);
    }
}

foreign_plugin::foreign_plugin(std::uint32_t site, const foreign_hook& hook)
    : module(LoadLibraryA("foreign_plugin.dll")) {
    EXPECT_NE(module, nullptr);
    exported<void(std::uint32_t, int, bool, std::uint32_t, std::uint32_t)>(
        module, "foreign_take_over_shaped")(site, hook.shape, hook.writes_back_only_its_own,
                                            hook.host_function, hook.protection);
}

void foreign_plugin::unload() {
    if (module != nullptr) {
        FreeLibrary(module);
        module = nullptr;
    }
}

std::uint32_t foreign_plugin::passes() const {
    return exported<std::uint32_t()>(module, "foreign_pass_count")();
}

flush_trace::flush_trace(HMODULE module) {
    auto* const real = tap_import(module, "KERNEL32.dll", "FlushInstructionCache", &traced_flush);
    EXPECT_TRUE(real != nullptr);
    if (real != &traced_flush) {
        real_flush = real;
    }
    current_trace = this;
}

flush_trace::~flush_trace() {
    current_trace = nullptr;
}
