// Watch mode's judgement of a save, look by look, and how it stops.
#include "dxt_encoder.hpp"
#include "png_save.hpp"
#include "stop_request.hpp"

#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using preview::save_step;

// A save is packed once it has stood still for a look and is whole, once;
// a missing file is said once each time it goes.
TEST(watch_mode, takes_a_save_once_it_stands_still_whole) {
    const preview::png_look gone{}, a{true, 1, 100, true}, b{true, 2, 120, true},
        cut{true, 3, 50, false}, longer{true, 4, 80, false};
    const struct {
        std::vector<preview::png_look> looks;
        std::vector<save_step> steps;
    } cases[] = {
        {{a, a, a}, {save_step::wait, save_step::take, save_step::wait}},
        {{a, b, b}, {save_step::wait, save_step::wait, save_step::take}},
        {{cut, cut, longer, longer, b, b},
         {save_step::wait, save_step::wait, save_step::wait, save_step::wait, save_step::wait,
          save_step::take}},
        {{gone, gone, a, a, gone, a},
         {save_step::say_missing, save_step::wait, save_step::wait, save_step::take,
          save_step::say_missing, save_step::wait}},
    };
    for (const auto& c : cases) {
        preview::png_save_watch watch;
        std::vector<save_step> steps;
        for (const auto& look : c.looks)
            steps.push_back(watch.look(look));
        EXPECT_EQ(steps, c.steps);
    }
    // A PNG cut short that stands still for long is said once, never packed.
    preview::png_save_watch watch;
    int said = 0;
    for (int look = 0; look <= 3 * preview::png_save_watch::unfinished_looks; ++look) {
        const save_step step = watch.look(cut);
        EXPECT_NE(step, save_step::take);
        said += step == save_step::say_still_unfinished;
    }
    EXPECT_EQ(said, 1);
}

// Whole: a PNG to its end chunk, or any file that is no PNG; a PNG cut
// short and an empty file are saves under way.
TEST(watch_mode, tells_a_whole_png_from_one_being_written) {
    const unsigned char pixels[4 * 4 * 4] = {};
    ASSERT_TRUE(stbi_write_png("whole.png", 4, 4, 4, pixels, 16));
    std::ifstream read("whole.png", std::ios::binary);
    const std::string png{std::istreambuf_iterator<char>(read), {}};
    const struct {
        std::string bytes;
        bool whole;
    } cases[] = {{png, true},
                 {png.substr(0, png.size() - 1), false},
                 {png.substr(0, 5), false},
                 {"", false},
                 {"JFIF, renamed", true}};
    for (const auto& c : cases) {
        std::ofstream("look.png", std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(preview::look_at("look.png").whole, c.whole) << c.bytes.size();
    }
    EXPECT_FALSE(preview::look_at("no_such.png").present);
}

DWORD WINAPI close_the_window(void*) {
    return static_cast<DWORD>(preview::on_console_event(CTRL_CLOSE_EVENT));
}

// The window's close button stops the watch like Ctrl+C, and its handler
// holds the process until the game folder is cleaned up.
TEST(watch_mode, stops_on_closing_the_window_after_cleaning_up) {
    EXPECT_FALSE(preview::stop_asked());
    const HANDLE closing = CreateThread(nullptr, 0, close_the_window, nullptr, 0, nullptr);
    ASSERT_NE(closing, nullptr);
    for (int look = 0; look < 1000 && !preview::stop_asked(); ++look)
        WaitForSingleObject(closing, 10);
    EXPECT_TRUE(preview::stop_asked());
    EXPECT_EQ(WaitForSingleObject(closing, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    preview::cleaned_up();
    EXPECT_EQ(WaitForSingleObject(closing, INFINITE), WAIT_OBJECT_0);
    DWORD handled = 0;
    GetExitCodeThread(closing, &handled);
    EXPECT_EQ(handled, static_cast<DWORD>(TRUE));
    CloseHandle(closing);
}

// A save packed again fits only the blocks it changed, to the very bytes a
// fit of the whole would give.
TEST(watch_mode, packs_a_changed_picture_to_the_same_blocks_as_from_scratch) {
    std::vector<std::uint8_t> before(64 * 32 * 4);
    std::uint32_t noise = 12345;
    for (auto& byte : before)
        byte = static_cast<std::uint8_t>((noise = noise * 1103515245 + 12345) >> 16);
    std::vector<std::uint8_t> after = before;
    after[(5 * 64 + 6) * 4 + 1] ^= 0x80; // one pixel, in a block's second row
    const auto from_scratch = dxt::compress_dxt5_level(64, 32, after);
    dxt::remember_blocks();
    dxt::compress_dxt5_level(64, 32, before);
    EXPECT_EQ(dxt::compress_dxt5_level(64, 32, after), from_scratch);
    EXPECT_NE(dxt::compress_dxt5_level(64, 32, before), from_scratch);
}

} // namespace
