// Watch mode's judgement of a save, look by look, and how it stops.
#include "dxt_encoder.hpp"
#include "png_save.hpp"
#include "stop_request.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

using preview::save_step;
constexpr save_step wait = save_step::wait, take = save_step::take,
                    missing = save_step::say_missing;

// A save is packed once it has stood still for a look and is whole, once;
// a missing file is said once each time it goes.
TEST(watch_mode, takes_a_save_once_it_stands_still_whole) {
    const preview::png_look gone{}, a{true, 1, 100, true}, b{true, 2, 120, true},
        cut{true, 3, 50, false}, longer{true, 4, 80, false};
    constexpr save_step unfinished = save_step::say_still_unfinished;
    std::vector<preview::png_look> stands_cut(2 + preview::png_save_watch::unfinished_looks, cut);
    std::vector<save_step> said_once(stands_cut.size(), wait);
    said_once[preview::png_save_watch::unfinished_looks] = unfinished;
    const struct {
        std::vector<preview::png_look> looks;
        std::vector<save_step> steps;
    } cases[] = {
        {{a, a, a}, {wait, take, wait}},
        {{a, b, b}, {wait, wait, take}},
        {{cut, cut, longer, longer, b, b}, {wait, wait, wait, wait, wait, take}},
        {{gone, gone, a, a, gone, a}, {missing, wait, wait, take, missing, wait}},
        {stands_cut, said_once},
    };
    for (const auto& c : cases) {
        preview::png_save_watch watch;
        std::vector<save_step> steps;
        for (const auto& look : c.looks)
            steps.push_back(watch.look(look));
        EXPECT_EQ(steps, c.steps);
    }
}

// What a look reads from the file itself: a save's size within the same
// time, and an empty file, which is a save under way, never one to pack.
TEST(watch_mode, looks_at_the_files_size_and_bytes) {
    std::ofstream("look.png") << "not a picture";
    const preview::png_look first = preview::look_at("look.png");
    std::ofstream("look.png") << "not a picture, longer";
    const HANDLE file =
        CreateFileW(L"look.png", FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written{static_cast<DWORD>(first.written), static_cast<DWORD>(first.written >> 32)};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written) && CloseHandle(file));
    EXPECT_EQ(preview::look_at("look.png", first).size, 21u);
    std::ofstream("look.png").flush();
    EXPECT_FALSE(preview::look_at("look.png", first).whole);
}

DWORD WINAPI close_the_window(void*) {
    return static_cast<DWORD>(preview::on_console_event(CTRL_CLOSE_EVENT));
}

// The window's close button stops the watch like Ctrl+C, and its handler
// holds the process until the game folder is cleaned up.
TEST(watch_mode, stops_on_closing_the_window_after_cleaning_up) {
    const HANDLE closing = CreateThread(nullptr, 0, close_the_window, nullptr, 0, nullptr);
    ASSERT_NE(closing, nullptr);
    for (int look = 0; look < 1000 && !preview::stop_asked(); ++look)
        WaitForSingleObject(closing, 10);
    EXPECT_TRUE(preview::stop_asked());
    EXPECT_EQ(WaitForSingleObject(closing, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    preview::cleaned_up();
    EXPECT_EQ(WaitForSingleObject(closing, INFINITE), WAIT_OBJECT_0);
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
}

} // namespace
