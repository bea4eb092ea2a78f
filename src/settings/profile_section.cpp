#include "settings/profile_section.hpp"

#include "settings/file_stamp.hpp"
#include "settings/section_lines.hpp"
#include "settings/settings_file_check.hpp"

#include <windows.h>

namespace {

// Every character of a file no larger than the largest allowed, and the two
// zeros that end the list: an ANSI or UTF-8 file has at most a character a
// byte, and each line's end becomes one zero.
constexpr DWORD section_capacity = static_cast<DWORD>(largest_settings_file) + 2;

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

wchar_t folded(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// True when the key (ASCII) and the entry's key are the same once ASCII
// letters are folded to one case.
bool same_key(const char* key, const wchar_t* begin, const wchar_t* end) {
    for (; begin != end && *key != '\0'; ++begin, ++key) {
        if (folded(*begin) != folded(static_cast<wchar_t>(*key))) {
            return false;
        }
    }
    return begin == end && *key == '\0';
}

// How this system's profile functions read a file that starts with a UTF-8
// byte-order mark: skipped, or as the first line's start. Learned from a
// marked file whose two readings differ and that the system read with lines,
// unchanged across that read and the read of its bytes; until then such a
// file is asked about again.
enum class mark_reading { unknown, skipped, kept };
mark_reading system_mark_reading = mark_reading::unknown;

enum class empty_read { empty, cut_short, ask_again };

enum class bytes_read { whole, gone, failed };

// The file's bytes through one open that shares the file with every other
// program. Failed when it cannot be opened but is there, or when it has grown
// past the buffer: not to be judged from a part.
bytes_read read_file_bytes(const wchar_t* path, unsigned char* buffer, DWORD capacity,
                           DWORD& size) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? bytes_read::gone
                   : bytes_read::failed;
    }
    size = 0;
    const bool read = ReadFile(file, buffer, capacity, &size, nullptr);
    CloseHandle(file);
    return read && size < capacity ? bytes_read::whole : bytes_read::failed;
}

// The one reading of a marked file's mark under which the section has lines,
// where the other reading shows none: unknown when both or neither do, or
// when either cannot be read.
mark_reading reading_with_lines(const unsigned char* bytes, DWORD size, const wchar_t* section) {
    const section_lines skipped = lines_in_section(bytes, size, section, true);
    const section_lines kept = lines_in_section(bytes, size, section, false);
    if (skipped == section_lines::some && kept == section_lines::none) {
        return mark_reading::skipped;
    }
    if (kept == section_lines::some && skipped == section_lines::none) {
        return mark_reading::kept;
    }
    return mark_reading::unknown;
}

// An empty read is complete only when the file's text, read as the system
// reads it, shows nothing in the section.
empty_read judged_by(section_lines lines) {
    return lines == section_lines::none ? empty_read::empty : empty_read::cut_short;
}

// A section read with lines, of a marked file that only one reading of the
// mark gives lines: the system reads the mark that way. Learned at the first
// such read (a game's first, as a rule), so that a later empty read of the
// file is judged at once, even when a lock covers both of the reads an
// unknown system would take. Only when the file's stamp before the section
// read is its stamp after its bytes were read: a save that adds or removes
// the mark in between would teach the wrong reading, and with it every later
// read of the file would be judged wrongly. A later such read that shows the
// other reading replaces the lesson. The bytes go after the section in its
// buffer; a file too large for what is left is learned from another time.
void learn_mark_reading(const wchar_t* path, const wchar_t* section, wchar_t* text, DWORD length,
                        const file_stamp& before_section_read) {
    unsigned char* const bytes = reinterpret_cast<unsigned char*>(text + length + 1);
    const DWORD capacity = (section_capacity - length - 1) * sizeof(wchar_t);
    DWORD size = 0;
    if (read_file_bytes(path, bytes, capacity, size) != bytes_read::whole ||
        !starts_with_utf8_mark(bytes, size) || !(stamp_of(path) == before_section_read)) {
        return;
    }
    const mark_reading reading = reading_with_lines(bytes, size, section);
    if (reading != mark_reading::unknown) {
        system_mark_reading = reading;
    }
}

// After a section read that came back empty: empty when the file is gone or
// empty, or when its own bytes, read through one open, say so too. Another
// program may hold the file shut for a moment that covers the section read
// and ends before this open; the bytes then still show the section's lines,
// so the empty read was cut short. The open failing for any reason but the
// file being gone is cut short too. A marked file whose readings differ, on a
// system not yet seen reading one, is to be asked about again. The buffer is
// the section's, free again after an empty read.
empty_read judge_empty_read(const wchar_t* path, const wchar_t* section, unsigned char* buffer,
                            DWORD capacity, mark_reading& reading_with_lines_now) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
        return empty_read::empty;
    }
    DWORD size = 0;
    switch (read_file_bytes(path, buffer, capacity, size)) {
    case bytes_read::whole:
        break;
    case bytes_read::gone:
        return empty_read::empty;
    case bytes_read::failed:
        return empty_read::cut_short;
    }
    const section_lines skipped = lines_in_section(buffer, size, section, true);
    if (!starts_with_utf8_mark(buffer, size)) {
        return judged_by(skipped);
    }
    const section_lines kept = lines_in_section(buffer, size, section, false);
    if (skipped == kept) {
        return judged_by(skipped);
    }
    switch (system_mark_reading) {
    case mark_reading::skipped:
        return judged_by(skipped);
    case mark_reading::kept:
        return judged_by(kept);
    default:
        reading_with_lines_now = reading_with_lines(buffer, size, section);
        // The readings differ, but one of them is text the parser cannot
        // read: asking again could teach nothing, and the read is not to be
        // taken as empty.
        return reading_with_lines_now != mark_reading::unknown ? empty_read::ask_again
                                                               : empty_read::cut_short;
    }
}

} // namespace

profile_section::~profile_section() {
    if (text_ != nullptr) {
        HeapFree(GetProcessHeap(), 0, text_);
    }
}

bool profile_section::read(const wchar_t* path, const wchar_t* section) {
    length_ = 0;
    if (text_ == nullptr) {
        // Only while a changed file is read, never in a frame that only draws.
        text_ = static_cast<wchar_t*>(
            HeapAlloc(GetProcessHeap(), 0, section_capacity * sizeof(wchar_t)));
        if (text_ == nullptr) {
            return false;
        }
    }
    const file_stamp before = stamp_of(path);
    DWORD length = GetPrivateProfileSectionW(section, text_, section_capacity, path);
    if (length == 0) {
        mark_reading reading_with_lines_now = mark_reading::unknown;
        switch (judge_empty_read(path, section, reinterpret_cast<unsigned char*>(text_),
                                 section_capacity * sizeof(wchar_t), reading_with_lines_now)) {
        case empty_read::empty:
            break;
        case empty_read::cut_short:
            return false;
        case empty_read::ask_again:
            // Lines now: the first read was cut short, and the system reads
            // the mark the way that finds them. Empty again: it finds none, as
            // one that keeps the mark does (or the file was held shut once
            // more); such a file is asked about twice until a read has lines.
            // The lesson holds only if the file did not change across the
            // bytes read and this one.
            length = GetPrivateProfileSectionW(section, text_, section_capacity, path);
            if (length != 0 && stamp_of(path) == before) {
                system_mark_reading = reading_with_lines_now;
            }
            break;
        }
    }
    // Filled to the brim: the file grew past the largest allowed as it was
    // read, and the list may have been cut.
    if (length >= section_capacity - 2) {
        return false;
    }
    if (length != 0) {
        learn_mark_reading(path, section, text_, length, before);
    }
    length_ = length;
    return true;
}

const wchar_t* profile_section::find(const char* key, std::size_t& length) const {
    const wchar_t* const end = text_ + length_;
    for (const wchar_t* entry = text_; entry < end && *entry != L'\0';) {
        const wchar_t* entry_end = entry;
        while (entry_end < end && *entry_end != L'\0') {
            ++entry_end;
        }
        const wchar_t* key_begin = entry;
        while (key_begin != entry_end && is_blank(*key_begin)) {
            ++key_begin;
        }
        const wchar_t* equals = key_begin;
        while (equals != entry_end && *equals != L'=') {
            ++equals;
        }
        const wchar_t* key_end = equals;
        while (key_end != key_begin && is_blank(key_end[-1])) {
            --key_end;
        }
        if (key_begin != entry_end && *key_begin != L';' && same_key(key, key_begin, key_end)) {
            // A line of the key's name alone is the key's first line, and
            // holds no value: the system reads the key as not there.
            if (equals == entry_end) {
                return nullptr;
            }
            const wchar_t* value = equals + 1;
            const wchar_t* value_end = entry_end;
            // A system that trims each line as it parses it hands back no
            // blanks around the '=': blanks then still at the value's end
            // stood before a zero byte in the line, and the single value keeps
            // them. Lines handed back as written are trimmed here.
            const bool as_written =
                key_begin != entry || key_end != equals || (value != value_end && is_blank(*value));
            while (value != value_end && is_blank(*value)) {
                ++value;
            }
            while (as_written && value_end != value && is_blank(value_end[-1])) {
                --value_end;
            }
            if (value_end - value >= 2 && (*value == L'"' || *value == L'\'') &&
                value_end[-1] == *value) {
                ++value;
                --value_end;
            }
            length = static_cast<std::size_t>(value_end - value);
            return value;
        }
        entry = entry_end + 1;
    }
    return nullptr;
}
