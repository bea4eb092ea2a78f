#include "settings/placement_save.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "settings/file_replacement.hpp"
#include "settings/placement_lines.hpp"
#include "settings/setting_words.hpp"
#include "settings/settings.hpp"
#include "settings/settings_file_check.hpp"
#include "settings/settings_reload.hpp"

#include <windows.h>

#include <cstddef>

namespace {

struct gauge_place_values {
    float scale;
    float offset_x;
    float offset_y;
};

// The new lines are short: a header and three keys, each a few characters,
// in at most two bytes a character.
constexpr std::size_t room_for_new_lines = 256;

// Space taken from the process heap only for a save, never for a frame.
class heap_bytes {
  public:
    explicit heap_bytes(std::size_t size)
        : bytes_(static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, size))) {}
    heap_bytes(const heap_bytes&) = delete;
    heap_bytes& operator=(const heap_bytes&) = delete;
    ~heap_bytes() {
        if (bytes_ != nullptr) {
            HeapFree(GetProcessHeap(), 0, bytes_);
        }
    }
    unsigned char* get() const { return bytes_; }

  private:
    unsigned char* bytes_;
};

void whole_number_text(unsigned number, char* text) {
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count != 0) {
        *text++ = digits[--count];
    }
    *text = '\0';
}

enum class file_read { read, missing, held_open, too_large, failed };

// The file's bytes, as they are now, shared with other readers and writers.
file_read read_file(const wchar_t* path, unsigned char* bytes, std::size_t capacity,
                    std::size_t& size, DWORD& error) {
    size = 0;
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND      ? file_read::missing
               : error == ERROR_SHARING_VIOLATION ? file_read::held_open
                                                  : file_read::failed;
    }
    file_read result = file_read::read;
    for (;;) {
        DWORD got = 0;
        if (size == capacity) {
            result = file_read::too_large;
            break;
        }
        if (!ReadFile(file, bytes + size, static_cast<DWORD>(capacity - size), &got, nullptr)) {
            error = GetLastError();
            result = error == ERROR_LOCK_VIOLATION ? file_read::held_open : file_read::failed;
            break;
        }
        if (got == 0) {
            break;
        }
        size += got;
    }
    CloseHandle(file);
    return result;
}

// What the new file must read as: the old one's settings with the new place.
// And what the old file read as, which must still stand when the new one
// takes its place.
struct expected_read {
    speedometer_settings settings;
    speedometer_settings read_back;
    speedometer_settings old_file;
    bool old_file_changed = false;
};

constexpr char changed_since_read[] = "it was changed since the game read it; the game reads it "
                                      "again within a second, and Enter then saves over it";

bool reads_as_expected(const wchar_t* new_file, void* context) {
    auto& expected = *static_cast<expected_read*>(context);
    const settings_file_read read = read_settings_file(new_file);
    expected.read_back = read.settings;
    // The player may have saved the file while the new one was written and
    // flushed: the move would throw that edit away.
    expected.old_file_changed = !settings_file_unchanged_since_full_read(expected.old_file);
    return !expected.old_file_changed && read.complete && read.settings == expected.settings;
}

void refuse(const char* path, const char* why) {
    log_line("the gauge's place was not saved: %s; the file is as it was (%s)", why, path);
}

// A file held open is tried again while the mode retries; the last try
// refuses.
placement_saved held_open(const char* path, bool last_try) {
    if (last_try) {
        refuse(path, "another program holds the file open");
        return placement_saved::refused;
    }
    return placement_saved::held_open;
}

void refuse_for_error(const char* path, const char* what, DWORD error) {
    log_line("the gauge's place was not saved: %s (error %lu); the file is as it was (%s)", what,
             error, path);
}

// The place being saved, for the check of values the file already holds.
gauge_place_values saving;

bool reads_as_saving(int key, const char* value) {
    if (key == 0) {
        float scale = 0.0f;
        return read_scale_text(value, scale) && scale == saving.scale;
    }
    int offset = 0;
    return parse_whole_number(value, 1000, offset) &&
           static_cast<float>(offset) == (key == 1 ? saving.offset_x : saving.offset_y);
}

} // namespace

void scale_text(float scale, char* text) {
    // Up to nine decimals: more than any float in the range needs.
    double power = 1.0;
    for (int decimals = 0; decimals <= 9; ++decimals, power *= 10.0) {
        const auto scaled =
            static_cast<unsigned long long>(static_cast<double>(scale) * power + 0.5);
        whole_number_text(static_cast<unsigned>(scaled / static_cast<unsigned long long>(power)),
                          text);
        char* end = text;
        while (*end != '\0') {
            ++end;
        }
        if (decimals != 0) {
            *end++ = '.';
            unsigned long long fraction = scaled % static_cast<unsigned long long>(power);
            for (int d = decimals - 1; d >= 0; --d) {
                end[d] = static_cast<char>('0' + fraction % 10);
                fraction /= 10;
            }
            end[decimals] = '\0';
        }
        float read = 0.0f;
        if (read_scale_text(text, read) && read == scale) {
            return;
        }
    }
}

placement_saved save_placement(float scale, float offset_x, float offset_y, bool last_try) {
    wchar_t path[MAX_PATH];
    if (!path_beside_module(L".ini", path, MAX_PATH)) {
        return placement_saved::refused;
    }
    char path_utf8[MAX_PATH * 3];
    to_utf8(path, path_utf8, sizeof path_utf8);
    const heap_bytes old_bytes(largest_settings_file + 1);
    const heap_bytes new_bytes(largest_settings_file + room_for_new_lines);
    if (old_bytes.get() == nullptr || new_bytes.get() == nullptr) {
        refuse(path_utf8, "no memory to edit it in");
        return placement_saved::refused;
    }
    std::size_t old_size = 0;
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        refuse(path_utf8, "it is a folder");
        return placement_saved::refused;
    }
    const file_read read =
        read_file(path, old_bytes.get(), largest_settings_file + 1, old_size, error);
    switch (read) {
    case file_read::held_open:
        return held_open(path_utf8, last_try);
    case file_read::too_large:
        refuse(path_utf8, "it is larger than 64 KB");
        return placement_saved::refused;
    case file_read::failed:
        refuse_for_error(path_utf8, "it could not be read", error);
        return placement_saved::refused;
    default:
        break;
    }

    char scale_value[16];
    char x_value[12];
    char y_value[12];
    scale_text(scale, scale_value);
    whole_number_text(static_cast<unsigned>(offset_x), x_value);
    whole_number_text(static_cast<unsigned>(offset_y), y_value);
    saving = {scale, offset_x, offset_y};
    const std::size_t new_size = with_placement_lines(
        old_bytes.get(), old_size, {scale_value, x_value, y_value, &reads_as_saving},
        new_bytes.get(), largest_settings_file + room_for_new_lines);
    if (new_size == 0) {
        refuse(path_utf8, "it is in UTF-16 big-endian, which the game reads but does not write; "
                          "save it as UTF-16LE, UTF-8 or ANSI");
        return placement_saved::refused;
    }
    // The game would not read the file it wrote.
    if (new_size > largest_settings_file) {
        refuse(path_utf8, "with the new lines it would be larger than 64 KB");
        return placement_saved::refused;
    }

    expected_read expected;
    const settings_file_read before =
        read == file_read::read ? read_settings_file(path) : settings_file_read{};
    if (!before.complete) {
        return held_open(path_utf8, last_try);
    }
    // A player's edit made since the last read would be lost under the values
    // the mode started from. A file deleted or emptied during a game is not
    // read: the game keeps the settings last read until the next one.
    if (!settings_file_unchanged_since_full_read(before.settings)) {
        refuse(path_utf8, old_size == 0 ? "it was deleted or emptied since the game read it; the "
                                          "next game reads it again, and Enter then saves"
                                        : changed_since_read);
        return placement_saved::refused;
    }
    expected.old_file = before.settings;
    expected.settings = before.settings;
    expected.settings.scale = scale;
    expected.settings.offset_x = offset_x;
    expected.settings.offset_y = offset_y;
    switch (replace_file(path, new_bytes.get(), new_size, &reads_as_expected, &expected, error)) {
    case replacement::done:
        break;
    case replacement::held_open:
        return held_open(path_utf8, last_try);
    case replacement::read_only:
        refuse(path_utf8, "it is read-only");
        return placement_saved::refused;
    case replacement::folder_not_written:
        refuse_for_error(path_utf8, "its folder cannot be written", error);
        return placement_saved::refused;
    case replacement::is_a_folder:
        refuse(path_utf8, "it is a folder");
        return placement_saved::refused;
    case replacement::disk_full:
        refuse(path_utf8, "the disk is full");
        return placement_saved::refused;
    case replacement::not_as_meant:
        refuse(path_utf8, expected.old_file_changed
                              ? changed_since_read
                              : "written anew it would not read back as the same settings");
        return placement_saved::refused;
    case replacement::failed:
        refuse_for_error(path_utf8, "it could not be written", error);
        return placement_saved::refused;
    }
    active_settings.scale = scale;
    active_settings.offset_x = offset_x;
    active_settings.offset_y = offset_y;
    note_settings_file_saved(expected.read_back);
    return placement_saved::saved;
}
