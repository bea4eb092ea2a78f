// The section read in one call and looked up in memory against the system's
// own single-value read, over a few thousand generated files: each key's
// value, or its absence, must be the same, and no file may read as cut short.
#include "settings/profile_section.hpp"
#include "settings/section_lines.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

template <std::size_t n> const char* pick(std::mt19937& random, const char* const (&choices)[n]) {
    return choices[std::uniform_int_distribution<std::size_t>(0, n - 1)(random)];
}

// Lines a player, an editor or a broken tool might write, mixed at random.
std::string generated_file(std::mt19937& random) {
    static const char* const headers[] = {
        "[speedometer]", "[SPEEDOMETER]",   "[ speedometer ]", "[speedometer",
        "[other]",       "[speedometer] x", "\t[speedometer]", "[]"};
    static const char* const blanks[] = {"", "", " ", "\t", " \t "};
    static const char* const keys[] = {"scale", "SCALE",  "Scale",  "scalex", "scal", "units",
                                       "skin",  ";scale", "sc ale", "x",      "",     "\xC3\xA9"};
    static const char* const values[] = {"2",    "0.5", "'0.5'", "\"7\"", "'",       "\"",
                                         "'a\"", "''",  "\"\"",  "'a'b'", "x y",     "",
                                         "a=b",  "mph", "' 2 '", "\"a",   "\xC3\xA9"};
    static const char* const ends[] = {"\n", "\n", "\r\n", "\r"};
    // Lines a tool might write: zero bytes in a header or at a line's start, a
    // value alone, the DOS end-of-file mark, headers longer than 512
    // characters (the name padded with blanks, or not).
    static const std::string odd[] = {std::string("[speedometer\0]", 14),
                                      std::string("[speedometer\0x]", 15),
                                      std::string("[speedometer \0]", 15),
                                      std::string("\0a", 2),
                                      std::string("\0=2", 3),
                                      std::string("\0a\n=2", 5),
                                      "=2",
                                      "\x1A",
                                      "[" + std::string(600, 'a') + "]",
                                      "[speedometer" + std::string(600, ' ') + "]",
                                      "[" + std::string(600, ' ') + "speedometer]",
                                      "[" + std::string(509, ' ') + "x]" + std::string(9, ' ')};
    const unsigned encoding = random() % 16; // 0: a UTF-8 mark, 1 and 2: UTF-16
    std::string text = encoding == 0 ? "\xEF\xBB\xBF" : "";
    const int lines = 1 + static_cast<int>(random() % 8);
    for (int line = 0; line < lines; ++line) {
        switch (random() % 9) {
        case 0:
            text += pick(random, headers);
            break;
        case 8:
            text += odd[random() % std::size(odd)];
            break;
        case 1:
            text += "; a comment";
            break;
        default:
            text += pick(random, blanks);
            text += pick(random, keys);
            text += pick(random, blanks);
            // A zero byte only in a value: in a name it would end the name
            // where the section read can no longer show it.
            if (random() % 8 != 0) {
                text += '=';
                text += pick(random, blanks);
                text += pick(random, values);
                text += pick(random, blanks);
                if (random() % 12 == 0) {
                    text += '\0';
                    text += pick(random, values);
                }
            }
        }
        text += pick(random, ends);
    }
    if (encoding == 1 || encoding == 2) {
        std::string wide = encoding == 1 ? "\xFF\xFE" : "\xFE\xFF";
        for (const char c : text)
            wide += encoding == 1 ? std::string{c, '\0'} : std::string{'\0', c};
        return wide;
    }
    return text;
}

TEST(profile_section, reads_every_key_as_the_systems_single_value_read_does) {
    std::mt19937 random(20261208);
    const char* const keys[] = {"scale", "units", "skin", "x", "scalex"};
    constexpr wchar_t missing[] = L"\x01missing";
    int files = 0;
    int cut_short = 0;
    int differences = 0;
    int misjudged = 0; // the byte parser against the system's section read
    for (; files < 3000; ++files) {
        // Names in turn, more than the system keeps parsed, so that each
        // read sees the file as written.
        const std::wstring path = L".\\fuzz" + std::to_wstring(files % 16) + L".ini";
        const std::string text = generated_file(random);
        std::ofstream(path.c_str(), std::ios::binary) << text;
        static wchar_t whole[70000];
        const bool system_lines =
            GetPrivateProfileSectionW(L"speedometer", whole, std::size(whole), path.c_str()) != 0;
        const section_lines parsed = lines_in_section(
            reinterpret_cast<const unsigned char*>(text.data()), text.size(), L"speedometer");
        if (system_lines != (parsed == section_lines::some) && ++misjudged <= 5) {
            ADD_FAILURE() << "parsed unlike the system: " << testing::PrintToString(text);
        }
        profile_section section;
        if (!section.read(path.c_str(), L"speedometer")) {
            if (++cut_short <= 5) {
                ADD_FAILURE() << "read as cut short: " << testing::PrintToString(text);
            }
            continue;
        }
        for (const char* key : keys) {
            const std::wstring wide_key(key, key + std::char_traits<char>::length(key));
            wchar_t expected[256];
            GetPrivateProfileStringW(L"speedometer", wide_key.c_str(), missing, expected,
                                     std::size(expected), path.c_str());
            std::size_t length = 0;
            const wchar_t* found = section.find(key, length);
            const std::wstring got = found != nullptr ? std::wstring(found, length) : missing;
            if (got != expected && ++differences <= 5) {
                ADD_FAILURE() << "key " << key << " in " << testing::PrintToString(text);
            }
        }
    }
    for (int i = 0; i < 16; ++i) {
        DeleteFileW((L".\\fuzz" + std::to_wstring(i) + L".ini").c_str());
    }
    std::printf("profile fuzz: %d files, %d read as cut short, %d values unlike the system's\n",
                files, cut_short, differences);
    EXPECT_EQ(cut_short, 0);
    EXPECT_EQ(misjudged, 0);
    EXPECT_EQ(differences, 0);
}

} // namespace
