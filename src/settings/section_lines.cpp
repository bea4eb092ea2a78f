#include "settings/section_lines.hpp"

#include <windows.h>

#include <cstddef>

namespace {

// As the profile functions trim a line and a section's name: blanks, the
// line's end and the old DOS end-of-file mark. A line ends at '\n' or '\r'.
bool is_space(unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

unsigned folded(unsigned c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

constexpr unsigned char utf8_mark[] = {0xEF, 0xBB, 0xBF};

// The file's characters, stored in bytes, after a UTF-8 byte-order mark if
// asked to skip it, or after its mark in UTF-16 of either byte order.
// Characters past ASCII only need to differ from every ASCII one. Text the
// system reads in the ANSI code page may hold two-byte characters, whose
// second byte can look like '[' or ']': such a pair is one character. A
// first byte that no second byte follows, or one that no such code page
// pairs (a line's end, a digit), is text the system may read either way, and
// the parser cannot tell how.
class characters {
  public:
    characters(const unsigned char* text, std::size_t size, bool skip_utf8_mark,
               unsigned ansi_code_page)
        : text_(text), size_(size), code_page_(ansi_code_page) {
        if (size >= 2 &&
            ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF))) {
            width_ = 2;
            big_endian_ = text[0] == 0xFE;
            next_ = 2;
        } else if (skip_utf8_mark && starts_with_utf8_mark(text, size)) {
            next_ = sizeof utf8_mark;
            ansi_ = false;
        }
    }
    bool done() const { return size_ - next_ < width_; }
    bool unreadable() const { return unreadable_; }
    unsigned take() {
        unsigned c = text_[next_];
        if (width_ == 2) {
            const unsigned other = text_[next_ + 1];
            c = big_endian_ ? c << 8 | other : c | other << 8;
        } else if (ansi_ && c >= 0x80 && IsDBCSLeadByteEx(code_page_, static_cast<BYTE>(c))) {
            if (size_ - next_ < 2 || text_[next_ + 1] < 0x40) {
                unreadable_ = true;
            } else {
                ++next_;
            }
        }
        next_ += width_;
        return c < 0x80 ? c : 0x80;
    }

  private:
    const unsigned char* text_;
    std::size_t size_;
    unsigned code_page_;
    std::size_t next_ = 0;
    std::size_t width_ = 1;
    bool big_endian_ = false;
    bool ansi_ = true;
    bool unreadable_ = false;
};

// What the system makes of a line. A line without a name (it starts with a
// zero byte) and no '=' is kept but never handed back; a line of a value
// alone ('=' first) is dropped when it follows one.
enum class line_kind { blank, comment, nameless, unnamed_value, entry, our_header, other_header };

// No section name is longer: a header's name is kept up to here, and one
// that reaches further is another section's.
constexpr std::size_t name_room = 512;

// A header's name, as the system compares it: trimmed, and ending at a zero
// byte, for it is kept as a zero-terminated string.
line_kind header_kind(const unsigned* name, std::size_t length, const wchar_t* section) {
    for (std::size_t i = 0; i != length; ++i, ++section) {
        if (i == name_room) {
            return line_kind::other_header;
        }
        if (name[i] == 0) {
            break;
        }
        if (*section == L'\0' || folded(name[i]) != folded(static_cast<unsigned>(*section))) {
            return line_kind::other_header;
        }
    }
    return *section == L'\0' ? line_kind::our_header : line_kind::other_header;
}

// Reads one line, however long, and tells its kind. A header is '[' up to the
// line's last ']', its name trimmed; a '[' with no ']' after it is an entry
// like any other.
line_kind read_line(characters& file, const wchar_t* section) {
    unsigned first = 0;
    bool started = false;
    bool has_equals = false;
    bool closed = false;
    unsigned name[name_room];
    std::size_t length = 0;      // of the name so far, from its first non-blank
    std::size_t trimmed = 0;     // the name so far without its trailing blanks
    std::size_t name_length = 0; // trimmed, at the last ']'
    while (!file.done()) {
        const unsigned c = file.take();
        if (c == '\n' || c == '\r') {
            break;
        }
        if (!started) {
            started = !is_space(c);
            first = c;
            continue;
        }
        has_equals = has_equals || c == '=';
        if (first != '[') {
            continue;
        }
        if (c == ']') {
            closed = true;
            name_length = trimmed;
        }
        if (length == 0 && is_space(c)) {
            continue;
        }
        if (length < name_room) {
            name[length] = c;
        }
        ++length;
        trimmed = is_space(c) ? trimmed : length;
    }
    if (!started) {
        return line_kind::blank;
    }
    switch (first) {
    case ';':
        return line_kind::comment;
    case '[':
        return closed ? header_kind(name, name_length, section) : line_kind::entry;
    case 0:
        return has_equals ? line_kind::entry : line_kind::nameless;
    case '=':
        return line_kind::unnamed_value;
    default:
        return line_kind::entry;
    }
}

section_lines has_lines(characters& file, const wchar_t* section) {
    bool inside = false;
    // The last line kept in the section has no name: a value alone is then
    // dropped.
    bool after_nameless = false;
    while (!file.done()) {
        const line_kind kind = read_line(file, section);
        if (!inside) {
            inside = kind == line_kind::our_header;
            continue;
        }
        switch (kind) {
        case line_kind::blank:
            break;
        case line_kind::comment:
        case line_kind::nameless:
            after_nameless = kind == line_kind::nameless;
            break;
        case line_kind::unnamed_value:
            if (!after_nameless) {
                return section_lines::some;
            }
            break;
        case line_kind::entry:
            return section_lines::some;
        case line_kind::our_header:
        case line_kind::other_header:
            // The first section of that name is the one the system reads.
            return section_lines::none;
        }
    }
    return section_lines::none;
}

} // namespace

bool starts_with_utf8_mark(const unsigned char* text, std::size_t size) {
    return size >= 3 && text[0] == utf8_mark[0] && text[1] == utf8_mark[1] &&
           text[2] == utf8_mark[2];
}

section_lines lines_in_section(const unsigned char* text, std::size_t size, const wchar_t* section,
                               bool skip_utf8_mark, unsigned ansi_code_page) {
    characters file(text, size, skip_utf8_mark, ansi_code_page);
    const section_lines found = has_lines(file, section);
    // Lines found before any text the parser could not read are there
    // however the system reads the rest.
    return found == section_lines::none && file.unreadable() ? section_lines::unknown : found;
}
