#include "settings/section_lines.hpp"

#include <iterator>

namespace {

// As the profile functions trim a line: blanks, the line's end and the old
// DOS end-of-file mark. Lines end at '\n' only, as the system splits them.
bool is_space(unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

unsigned folded(unsigned c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// The file's characters, stored in bytes or, after its byte-order mark, in
// little-endian UTF-16. A UTF-8 mark is left in: a system that does not skip
// it sees no header on that line, and one that does found the section itself.
// Characters past ASCII only need to differ from every ASCII one.
class characters {
  public:
    characters(const unsigned char* text, std::size_t size) : text_(text), size_(size) {
        if (size >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
            width_ = 2;
            next_ = 2;
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

// What the system makes of a line: a header is '[' up to the line's last ']';
// a '[' with no ']' after it is an entry like any other.
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
    if (line[begin] != '[' || close == begin) {
        return line_kind::entry;
    }
    std::size_t i = begin + 1;
    for (; i + 1 < close && *section != L'\0'; ++i, ++section) {
        if (folded(line[i]) != folded(static_cast<unsigned>(*section))) {
            return line_kind::other_header;
        }
    }
    return i + 1 == close && *section == '\0' ? line_kind::our_header : line_kind::other_header;
}

} // namespace

bool section_has_lines(const unsigned char* text, std::size_t size, const wchar_t* section) {
    characters file(text, size);
    bool inside = false;
    // A longer line is judged by its start: no section name is that long.
    unsigned line[512];
    while (!file.done()) {
        std::size_t length = 0;
        for (unsigned c; !file.done() && (c = file.take()) != '\n';) {
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
