// A skin in the settings chooses the dictionary a new game loads; when the
// host cannot load it, the game steps down to the shipped artwork, keeping
// the player's units as long as any mph face is there, one log line a step.
#include "module_fixture.hpp"

#include "assets/texture_dictionary.hpp"
#include "host/dictionary_format.hpp"
#include "speedometer/dictionary_check.hpp"
#include "support/test_atlas.hpp"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

using sim::host_fn;

namespace {

constexpr char shipped_kmh[] = "models/speedometer.txd";
constexpr char shipped_mph[] = "models/speedometer_mph.txd";
constexpr char carbon[] = "models/speedometer_carbon.txd";
constexpr char carbon_mph[] = "models/speedometer_carbon_mph.txd";

class skin_dictionary : public module_test {
  protected:
    void TearDown() override {
        module_test::TearDown();
        DeleteFileA(carbon);
        DeleteFileA(carbon_mph);
        place(shipped_kmh, atlas);
        place(shipped_mph, atlas);
    }
    // What a dictionary file holds; a dictionary without a texture loads.
    enum content : std::uint8_t { none, atlas, empty, half };
    static void place(const char* path, content c) {
        if (c == none) {
            DeleteFileA(path);
        } else if (c == atlas) {
            ASSERT_TRUE(txd::write_file(path, {make_test_atlas_image()}));
        } else if (c == empty) {
            ASSERT_TRUE(txd::write_file(path, {}));
        } else {
            const auto bytes = txd::encode({make_test_atlas_image()});
            write_bytes(path, {bytes.begin(), bytes.begin() + bytes.size() / 2});
        }
    }
    // The bytes, then zeros up to length.
    static void write_bytes(const char* path, const std::vector<std::uint8_t>& bytes,
                            std::size_t length = 0) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
        if (length > bytes.size()) {
            file.seekp(static_cast<std::streamoff>(length - 1)).put('\0');
        }
    }
    static std::vector<std::string> loads() {
        std::vector<std::string> paths;
        for (const auto& call : sim::calls_of(host_fn::load_txd)) {
            paths.push_back(call.text_arg(0));
        }
        return paths;
    }
};

TEST_F(skin_dictionary, steps_down_to_the_shipped_artwork_logging_each_step_once) {
    const std::string skin_kmh = "models\\speedometer_carbon.txd";
    const std::string skin_mph = "models\\speedometer_carbon_mph.txd";
    const std::string kmh = "models\\speedometer.txd";
    const std::string mph = "models\\speedometer_mph.txd";
    const std::string missing = " is missing; ";
    const std::string blank = " holds no texture; ";
    const std::string to_shipped = "trying the shipped artwork\r";
    const std::string to_mph = "trying the shipped mph artwork\r";
    const std::string to_kmh = "trying the shipped km/h artwork, which shows the speed in km/h\r";
    const char* const in_mph = "skin = carbon\nunits = mph";
    const struct {
        const char* settings;
        content carbon, carbon_mph, shipped_mph; // dictionaries in place
        std::vector<std::string> loads;          // the last one is drawn from
        std::vector<std::string> log;
    } cases[] = {
        {"skin = Carbon", atlas, none, atlas, {skin_kmh}, {}},
        {in_mph, none, atlas, atlas, {skin_mph}, {}},
        {"skin = carbon", none, atlas, atlas, {kmh}, {skin_kmh + missing + to_shipped}},
        {"skin = carbon", empty, atlas, atlas, {skin_kmh, kmh}, {skin_kmh + blank + to_shipped}},
        // A skin without an mph face: the shipped mph one, not the skin in km/h.
        {in_mph, atlas, none, atlas, {mph}, {skin_mph + missing + to_mph}},
        {in_mph, atlas, none, none, {kmh}, {skin_mph + missing + to_mph, mph + missing + to_kmh}},
        {in_mph,
         atlas,
         empty,
         empty,
         {skin_mph, mph, kmh},
         {skin_mph + blank + to_mph, mph + blank + to_kmh}},
        // Refused names never reach the host.
        {"skin = ..\\carbon", atlas, atlas, atlas, {kmh}, {}},
        {"skin = carbon_mph", atlas, atlas, atlas, {kmh}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        place(carbon, c.carbon);
        place(carbon_mph, c.carbon_mph);
        place(shipped_mph, c.shipped_mph);
        write_settings_lines(c.settings);
        load();
        for (int game = 0; game < 2; ++game) {
            sim::clear_calls();
            sim::run_event_site(sim::event_site::init);
            EXPECT_EQ(loads(), c.loads) << "game " << game;
            const auto last = sim::calls_of(host_fn::load_txd).back();
            EXPECT_NE(last.result, 0u);
            // Each dictionary without a texture is handed back at once.
            const auto textures = sim::calls_of(host_fn::txd_texture);
            ASSERT_FALSE(textures.empty());
            EXPECT_EQ(textures.back().args[0], last.result);
            EXPECT_NE(textures.back().result, 0u);
            EXPECT_EQ(sim::count_of(host_fn::release_txd), textures.size() - 1);
            sim::run_event_site(sim::event_site::shutdown);
        }
        std::vector<std::string> log = log_lines();
        if (!log.empty() && log[0].find("skin = ") != std::string::npos) {
            log.erase(log.begin()); // the refusal's own line, told in the settings tests
        }
        EXPECT_EQ(log, c.log);
        unload();
        DeleteFileA("speedometer.log");
    }
}

// A dictionary of one texture whose levels hold zeros: the check looks at the
// layout alone.
std::vector<std::uint8_t> dictionary_of(txd::pixel_encoding encoding, int width, bool chain,
                                        bool alpha = true) {
    txd::texture_image image;
    image.has_alpha = alpha;
    image.name = "carbon";
    image.width = width;
    image.height = width / 2;
    image.encoding = encoding;
    image.filter_mode = chain ? 6 : 2;
    for (int level = 0, side = width; level < (chain ? txd::mip_level_count(width, 1) : 1);
         ++level, side = std::max(side / 2, 1)) {
        (level == 0 ? image.rgba : image.mip_levels.emplace_back())
            .resize(txd::level_byte_count(encoding, side, std::max(side / 2, 1)));
    }
    return txd::encode({image});
}

// A skin file as a download or another program may leave it: only a whole one
// reaches the host. The module looks where the host does, in the game's
// current folder, though a whole skin of that name lies beside the module.
TEST_F(skin_dictionary, only_a_whole_skin_file_in_the_game_folder_reaches_the_host) {
    using enum txd::pixel_encoding;
    const auto good = txd::encode({make_test_atlas_image()}); // 32-bit, one level
    const auto with = [&](std::size_t at, std::uint32_t value, std::size_t size = 4,
                          std::vector<std::uint8_t> bytes = {}) { // of good by default
        bytes = bytes.empty() ? good : bytes;
        std::memcpy(&bytes[at], &value, size);
        return bytes;
    };
    const auto cut = [&](std::size_t n) { return std::vector(good.begin(), good.begin() + n); };
    const auto rgb = dictionary_of(rgba32, 8, false, false); // pixel format 22, colour 0x0600
    const auto dxt5_8x4 = dictionary_of(dxt5, 8, false);
    const auto dxt3_chain = dictionary_of(dxt3, 512, true); // 10 levels, 0x8300
    const auto textures = [&](std::size_t n) {
        return txd::encode(std::vector(n, txd::decode(rgb)->front()));
    };
    // Texture header fields, from the file's start; the colour nibble's byte.
    constexpr std::size_t platform = 52, colour = 125, width = 132, levels = 137, flags = 139;
    std::vector<std::uint8_t> noise(4096);
    std::generate(noise.begin(), noise.end(), std::mt19937(34));
    const std::string_view png = "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x02\0\0\0\x01\0\x08\x06";
    auto beyond = with(levels, 11, 1, dxt3_chain); // and a second 1 by 1 level stored
    beyond.insert(beyond.end() - 24, {16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (const std::size_t at : {4, 32, 44}) // the sizes that hold it: low bytes, no carry
        beyond[at] += 20;
    // n zero bytes put in at `at` (taken out if negative), and the chunk sizes
    // at `sizes`, all before `at`, grown by them.
    const auto resized = [&](std::vector<std::uint8_t> b, std::size_t at, int n,
                             std::initializer_list<std::size_t> sizes) {
        n < 0 ? (void)b.erase(b.begin() + at, b.begin() + at - n)
              : (void)b.insert(b.begin() + at, n, 0);
        for (const std::size_t size : sizes)
            b = with(size, dictionary_format::u32_at(&b[size]) + n, 4, b);
        return b;
    };
    // Plug-in chunks (type 0x110) of 4 bytes, the first saying it holds
    // `says`, in the texture's extension or the dictionary's, as tools write.
    const std::size_t end = good.size();
    const auto plugin = [&](bool texture, std::uint32_t says, int count = 1) {
        const std::size_t at = texture ? end - 12 : end;
        auto b = texture ? resized(good, at, 16 * count, {4, 32, end - 20})
                         : resized(good, at, 16 * count, {4, end - 8});
        for (int chunk = 0; chunk < count; ++chunk) {
            const std::uint32_t header[] = {0x110, chunk == 0 ? says : 4, 0x1803FFFF};
            std::memcpy(&b[at + 16 * chunk], header, sizeof header);
        }
        return b;
    };
    // 8 of its 10 levels: the last two, 20 bytes each, taken out.
    const auto partial =
        resized(with(levels, 8, 1, dxt3_chain), dxt3_chain.size() - 64, -40, {4, 32, 44});
    auto dxt5_8x6 = txd::decode(dxt5_8x4)->front();
    dxt5_8x6.height = 6;
    dxt5_8x6.rgba.resize(txd::level_byte_count(dxt5, 8, 6));
    const auto named = [&](std::size_t length) { // of 'a's, from the name field's start
        auto b = good;
        std::fill_n(&b[60], length, 'a');
        return b;
    };
    const char* const short_ = "ends before its artwork does (copied only in part?)";
    const char* const lie = "has artwork whose sizes do not agree (damaged?)";
    const char* const alien =
        "is not a texture dictionary (a picture renamed, or saved by another program?)";
    const auto unread_words = words_of({dictionary_fault::unread_layout});
    const auto disagrees_words = words_of({dictionary_fault::header_disagrees});
    const char* const unread = unread_words.text;
    const char* const disagrees = disagrees_words.text;
    constexpr std::size_t bound = 64u << 20;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::size_t length; // of the file, zeros after the bytes
        const char* fault;  // null: drawn from
    } cases[] = {
        {"32-bit", good, 0, nullptr},
        {"32-bit chain, the largest", dictionary_of(rgba32, 4096, true), 0, nullptr},
        {"DXT1", dictionary_of(dxt1, 4096, false), 0, nullptr},
        {"DXT3 chain", dictionary_of(dxt3, 512, true), 0, nullptr},
        {"DXT5 chain", dictionary_of(dxt5, 2048, true), 0, nullptr},
        {"empty", {}, 0, "is empty (copied only in part?)"},
        {"cut in the first header", cut(8), 0, short_},
        {"cut in the texture header", cut(100), 0, short_},
        {"cut in the artwork", cut(good.size() / 2), 0, short_},
        {"a byte short", cut(good.size() - 1), 0, short_},
        {"a byte after it", good, good.size() + 1, nullptr},
        {"padded to 64 MB", good, bound, nullptr},
        {"over 64 MB", good, bound + 1, "is larger than 64 MB"},
        {"random bytes", noise, 0, alien},
        {"a picture renamed", {png.begin(), png.end()}, 0, alien},
        {"level 0 larger than its sizes", with(140, 1024 * 512 * 4 + 4), 0, lie},
        {"wider than its levels", with(132, 2048, 2), 0, lie},
        {"more levels than it holds", with(137, 2, 1), 0, lie},
        {"a format of neither kind", with(128, 0x32545844), 0,
         "holds artwork neither in 32-bit colour nor in DXT1, DXT3 or DXT5"},
        {"one level above the whole chain", beyond, 0, lie},
        {"17 textures", textures(17), 0,
         "holds more than 16 textures, where a gauge's dictionary holds one"},
        {"platform 10", with(platform, 10, 1), 0,
         "was made for another platform than the game's (by another program?)"},
        {"an 8-bit palette", with(colour, 0x25, 1), 0, unread},
        {"a cube map", with(flags, 0x03, 1), 0, unread},
        {"2 bytes a pixel in the colour nibble", with(colour, 0x02, 1), 0, disagrees},
        {"32-bit without alpha", rgb, 0, nullptr},
        {"32-bit without alpha, with the alpha flag", with(flags, 0x01, 1, rgb), 0, disagrees},
        {"DXT5 without the compressed flag", with(flags, 0x01, 1, dxt5_8x4), 0, disagrees},
        {"DXT5 8 by 4", dxt5_8x4, 0, nullptr},
        {"DXT5 6 wide", with(width, 6, 1, dxt5_8x4), 0, disagrees},
        {"the mip bit with one level", with(colour, 0x85, 1), 0, disagrees},
        {"a chain without the mip bit", with(colour, 0x03, 1, dxt3_chain), 0, disagrees},
        {"a plug-in chunk in the texture's extension", plugin(true, 4), 0, nullptr},
        {"a plug-in chunk in the dictionary's extension", plugin(false, 4), 0, nullptr},
        {"a plug-in chunk past its extension", plugin(true, 5), 0, lie},
        {"an extension's bytes not a chunk", plugin(false, 0), 0, lie},
        {"16 plug-in chunks", plugin(false, 4, 16), 0, nullptr},
        {"17 plug-in chunks", plugin(false, 4, 17), 0, lie},
        {"8 of the 10 levels", partial, 0,
         "has 8 of the 10 levels, where the game takes one level or every level (saved by another "
         "program?)"},
        {"16 textures", textures(16), 0, nullptr},
        {"the first of two headers disagreeing", with(57, 0, 1, textures(2)), 0, disagrees},
        {"DXT5 8 by 6", txd::encode({dxt5_8x6}), 0, disagrees},
        {"a name of 31 characters", named(31), 0, nullptr},
        {"a name of 32 characters, unended", named(32), 0, disagrees},
        {"levels left to the device", with(flags, 0x05, 1), 0, unread},
    };
    const std::string skin = "models\\speedometer_carbon.txd";
    place(carbon, atlas);
    CreateDirectoryA("game", nullptr);
    CreateDirectoryA("game/models", nullptr);
    ASSERT_TRUE(CopyFileA(shipped_kmh, "game/models/speedometer.txd", FALSE));
    write_settings_lines("skin = carbon");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_bytes("game/models/speedometer_carbon.txd", c.bytes, c.length);
        load();
        sim::clear_calls();
        SetCurrentDirectoryA("game");
        sim::run_event_site(sim::event_site::init);
        sim::run_event_site(sim::event_site::shutdown);
        SetCurrentDirectoryA("..");
        EXPECT_EQ(loads(), std::vector{c.fault == nullptr ? skin : "models\\speedometer.txd"});
        EXPECT_EQ(log_lines(), c.fault == nullptr ? std::vector<std::string>{}
                                                  : std::vector{skin + " " + c.fault +
                                                                "; trying the shipped artwork\r"});
        unload(); // the paths the host was handed are the module's
        DeleteFileA("speedometer.log");
    }
    DeleteFileA("game/models/speedometer_carbon.txd");
}

// Mutants of dictionaries the project's writer makes, the header in every
// layout the format names: the check passes exactly those the project's
// strict reader reads, while another program holds the file open for writing.
TEST(dictionary_check, agrees_with_the_strict_reader_on_every_mutant) {
    using enum txd::pixel_encoding;
    std::size_t disagreements = 0;
    const HANDLE file = CreateFileA("mutant.txd", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto set = [](auto b, std::size_t at, std::uint32_t value, std::size_t size = 1) {
        b.resize(std::max(b.size(), at + size));
        std::memcpy(&b[at], &value, size);
        return b;
    };
    const auto compare = [&](const std::vector<std::uint8_t>& b) {
        DWORD written = 0;
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        WriteFile(file, b.data(), static_cast<DWORD>(b.size()), &written, nullptr);
        SetEndOfFile(file);
        disagreements += (check_dictionary("mutant.txd").fault == dictionary_fault::none) !=
                         txd::decode(b).has_value();
    };
    for (const auto& good : {dictionary_of(rgba32, 4, false), dictionary_of(rgba32, 4, true, false),
                             dictionary_of(dxt1, 8, true, false), dictionary_of(dxt5, 8, true)}) {
        for (std::size_t at = 0; at < good.size(); ++at)
            for (int bit = 0; bit < 8; ++bit)
                compare(set(good, at, good[at] ^ 1u << bit));
        for (const std::uint32_t code : {21u, 22u, 0x31545844u, 0x33545844u, 0x35545844u})
            for (const std::uint32_t raster : {0x0100u, 0x0200u, 0x0300u, 0x0500u, 0x0600u, 0x8500u,
                                               0x8300u, 0x1500u, 0x2500u, 0x4500u})
                for (const std::uint32_t flags : {0u, 1u, 8u, 9u})
                    compare(set(set(set(good, 124, raster, 4), 128, code, 4), 139, flags));
        compare(set(good, 2047, 0)); // padded to a sector
    }
    EXPECT_EQ(disagreements, 0u);
    EXPECT_EQ(check_dictionary("mutant.txd").fault, dictionary_fault::none); // held open
    CloseHandle(file);
    DeleteFileA("mutant.txd");
    EXPECT_EQ(check_dictionary("no_folder/mutant.txd").fault, dictionary_fault::missing);
}

TEST_F(skin_dictionary, a_skin_failing_again_after_it_loaded_is_told_again) {
    write_settings_lines("skin = carbon");
    load();
    for (const content c : {none, atlas, none, half}) { // then cut short: told too
        place(carbon, c);
        sim::run_event_site(sim::event_site::init);
        sim::run_event_site(sim::event_site::shutdown);
    }
    EXPECT_EQ(log_lines().size(), 3u);
}

TEST_F(skin_dictionary, without_the_shipped_artwork_the_log_says_what_to_copy_once_a_run) {
    const struct {
        content shipped;
        std::vector<host_fn> calls; // of the dictionary's, at each init
        const char* why;
        const char* then = " so no gauge is drawn: copy the package's models folder, with all "
                           "its files, into the game's folder";
    } cases[] = {
        {none, {host_fn::load_txd}, " could not be loaded,"},
        {empty, {host_fn::load_txd, host_fn::txd_texture}, " holds no texture,"},
        // Damaged: never handed to the host's reader, which trusts its sizes.
        {half,
         {},
         " ends before its artwork does (copied only in part?),",
         " so no gauge is drawn: copy the package's models folder, with all its files, into the "
         "game's folder again"},
    };
    for (const auto& c : cases) {
        place(shipped_kmh, c.shipped);
        load();
        for (int game = 0; game < 2; ++game) {
            sim::clear_calls();
            sim::run_event_site(sim::event_site::init);
            std::vector<host_fn> calls;
            for (const auto& call : sim::calls()) {
                if (call.fn == host_fn::load_txd || call.fn == host_fn::txd_texture) {
                    calls.push_back(call.fn);
                }
            }
            EXPECT_EQ(calls, c.calls);
            sim::run_event_site(sim::event_site::shutdown);
        }
        unload();
        EXPECT_EQ(log_lines(), std::vector<std::string>{std::string("models\\speedometer.txd") +
                                                        c.why + c.then + "\r"});
        DeleteFileA("speedometer.log");
    }
}

} // namespace
