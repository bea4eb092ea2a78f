#include "settings/section_lines.hpp"

#include <iterator>

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

bool starts_with_utf8_mark(const unsigned char* text, std::size_t size) {
    return size >= 3 && text[0] == utf8_mark[0] && text[1] == utf8_mark[1] &&
           text[2] == utf8_mark[2];
}

// The file's characters, stored in bytes, after a UTF-8 byte-order mark if
// asked to skip it, or after its mark in little-endian UTF-16. Characters past
// ASCII only need to differ from every ASCII one.
class characters {
  public:
    characters(const unsigned char* text, std::size_t size, bool skip_utf8_mark)
        : text_(text), size_(size) {
        if (size >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
            width_ = 2;
            next_ = 2;
        } else if (skip_utf8_mark && starts_with_utf8_mark(text, size)) {
            next_ = sizeof utf8_mark;
        }
    }
    bool done() const { return size_ - next_ < width_; }
    unsigned take() {
        unsigned c = text_[next_];
        if (width_ == 2) {
            c |= text_[next_ + 1] << 8;
        }
        next_ += width_;
        return c < 0x80 ? c : 0x80;
    }

  private:
    const unsigned char* text_;
    std::size_t size_;
    std::size_t next_ = 0;
    std::size_t width_ = 1;
};

enum class line_kind { nothing, entry, our_header, other_header };

// What the system makes of a line: a header is '[' up to the line's last ']',
// its name trimmed; a '[' with no ']' after it is an entry like any other.
line_kind kind_of(const unsigned* line, std::size_t length, const wchar_t* section) {
    std::size_t begin = 0;
    std::size_t end = length;
    while (begin != end && is_space(line[begin])) {
        ++begin;
    }
    while (end != begin && is_space(line[end - 1])) {
        --end;
    }
    if (begin == end || line[begin] == ';') {
        return line_kind::nothing;
    }
    std::size_t close = end;
    while (close != begin && line[close - 1] != ']') {
        --close;
    }
    if (line[begin] == 0) {
        // A line that starts with a zero byte has no name: the system hands it
        // back only for the value an '=' gives it.
        for (std::size_t i = begin; i != end; ++i) {
            if (line[i] == '=') {
                return line_kind::entry;
            }
        }
        return line_kind::nothing;
    }
    if (line[begin] != '[' || close == begin) {
        return line_kind::entry;
    }
    std::size_t name = begin + 1;
    std::size_t name_end = close - 1;
    while (name != name_end && is_space(line[name])) {
        ++name;
    }
    while (name_end != name && is_space(line[name_end - 1])) {
        --name_end;
    }
    for (; name != name_end && *section != L'\0'; ++name, ++section) {
        if (folded(line[name]) != folded(static_cast<unsigned>(*section))) {
            return line_kind::other_header;
        }
    }
    return name == name_end && *section == L'\0' ? line_kind::our_header
                                                  : line_kind::other_header;
}

bool has_lines(characters file, const wchar_t* section) {
    bool inside = false;
    // A longer line is judged by its start: no section name is that long.
    unsigned line[512];
    while (!file.done()) {
        std::size_t length = 0;
        for (unsigned c; !file.done() && (c = file.take()) != '\n' && c != '\r';) {
            if (length != std::size(line)) {
                line[length++] = c;
            }
        }
        const line_kind kind = kind_of(line, length, section);
        if (inside && kind != line_kind::nothing) {
            // The first section of that name is the one the system reads.
            return kind == line_kind::entry;
        }
        inside = kind == line_kind::our_header || inside;
    }
    return false;
}

} // namespace

bool section_has_lines(const unsigned char* text, std::size_t size, const wchar_t* section) {
    // Whether the system skips a UTF-8 mark differs from one Windows to
    // another: lines count only if they are there either way, so that no file
    // reads as cut short for good.
    return has_lines(characters(text, size, true), section) &&
           (!starts_with_utf8_mark(text, size) ||
            has_lines(characters(text, size, false), section));
}
