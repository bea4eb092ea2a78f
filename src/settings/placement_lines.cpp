#include "settings/placement_lines.hpp"

#include <cstring>

namespace {

constexpr const char* keys[] = {"scale", "offset_x", "offset_y"};
constexpr std::size_t key_count = 3;

bool is_blank(unsigned c) {
    return c == ' ' || c == '\t';
}

// As the profile functions trim a line: blanks, and the old end-of-file mark.
bool is_space(unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

unsigned folded(unsigned c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// The file's text as code units, one or two bytes wide, after its mark.
struct units {
    const unsigned char* bytes;
    std::size_t first; // byte offset of the first unit
    std::size_t width;
    std::size_t count;

    unsigned at(std::size_t i) const {
        const unsigned char* u = bytes + first + i * width;
        return width == 2 ? u[0] | u[1] << 8 : u[0];
    }
    std::size_t offset(std::size_t i) const { return first + i * width; }

    bool same_word(std::size_t begin, std::size_t end, const char* word) const {
        for (; begin != end; ++begin, ++word) {
            if (*word == '\0' || folded(at(begin)) != static_cast<unsigned>(*word)) {
                return false;
            }
        }
        return *word == '\0';
    }
};

// One change: the units [begin, end) give way to a key's value, or (begin ==
// end) the missing lines go in there.
struct change {
    std::size_t begin = 0;
    std::size_t end = 0;
    int key = -1;      // -1: the missing lines
    bool bare = false; // a line of the key's name alone: " = " goes first
};

class writer {
  public:
    writer(unsigned char* out, std::size_t capacity, std::size_t width)
        : out_(out), capacity_(capacity), width_(width) {}

    void bytes(const unsigned char* from, std::size_t size) {
        if (!fits(size)) {
            return;
        }
        std::memcpy(out_ + size_, from, size);
        size_ += size;
    }
    void ascii(const char* text) {
        for (; *text != '\0'; ++text) {
            const unsigned char unit[2] = {static_cast<unsigned char>(*text), 0};
            bytes(unit, width_);
        }
    }
    std::size_t size() const { return failed_ ? 0 : size_; }

  private:
    bool fits(std::size_t size) {
        failed_ = failed_ || capacity_ - size_ < size;
        return !failed_;
    }
    unsigned char* out_;
    std::size_t capacity_;
    std::size_t width_;
    std::size_t size_ = 0;
    bool failed_ = false;
};

struct line {
    std::size_t begin;
    std::size_t content_end; // before the line's end
    std::size_t end;         // after it
};

line next_line(const units& text, std::size_t begin) {
    std::size_t i = begin;
    while (i != text.count && text.at(i) != '\n' && text.at(i) != '\r') {
        ++i;
    }
    line l{begin, i, i};
    if (i != text.count) {
        l.end = i + (text.at(i) == '\r' && i + 1 != text.count && text.at(i + 1) == '\n' ? 2 : 1);
    }
    return l;
}

std::size_t skip_blanks(const units& text, std::size_t i, std::size_t end) {
    while (i != end && is_space(text.at(i))) {
        ++i;
    }
    return i;
}

std::size_t trim_end(const units& text, std::size_t begin, std::size_t end) {
    while (end != begin && is_space(text.at(end - 1))) {
        --end;
    }
    return end;
}

// A header: '[' first, and a ']' after it. The name is between them, up to the
// line's last ']', trimmed.
bool is_header(const units& text, const line& l, bool& ours) {
    const std::size_t first = skip_blanks(text, l.begin, l.content_end);
    if (first == l.content_end || text.at(first) != '[') {
        return false;
    }
    std::size_t close = l.content_end;
    while (close != first && text.at(close - 1) != ']') {
        --close;
    }
    if (close == first) {
        return false;
    }
    const std::size_t name = skip_blanks(text, first + 1, close - 1);
    ours = text.same_word(name, trim_end(text, name, close - 1), "speedometer");
    return true;
}

// The value of a key's line, as the reader takes it: after the '=' and its
// blanks, without trailing blanks or one pair of matching quotes. A line of
// the key's name alone gets " = " and the value after the name.
change value_of(const units& text, const line& l, std::size_t key_end, std::size_t equals,
                int key) {
    if (equals == l.content_end) {
        return {key_end, l.content_end, key, true};
    }
    std::size_t begin = equals + 1;
    while (begin != l.content_end && is_blank(text.at(begin))) {
        ++begin;
    }
    std::size_t end = l.content_end;
    while (end != begin && is_blank(text.at(end - 1))) {
        --end;
    }
    if (end - begin >= 2 && (text.at(begin) == '"' || text.at(begin) == '\'') &&
        text.at(end - 1) == text.at(begin)) {
        ++begin;
        --end;
    }
    return {begin, end, key};
}

// The value's text in ASCII, when it is short and all ASCII.
bool ascii_value(const units& text, const change& c, char (&value)[24]) {
    if (c.end - c.begin >= sizeof value) {
        return false;
    }
    for (std::size_t i = c.begin; i != c.end; ++i) {
        if (text.at(i) >= 0x80) {
            return false;
        }
        value[i - c.begin] = static_cast<char>(text.at(i));
    }
    value[c.end - c.begin] = '\0';
    return true;
}

} // namespace

std::size_t with_placement_lines(const unsigned char* file, std::size_t size,
                                 const placement_texts& values, unsigned char* out,
                                 std::size_t capacity) {
    units text{file, 0, 1, size};
    if (size >= 2 && file[0] == 0xFE && file[1] == 0xFF) {
        return 0;
    }
    if (size >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        text = {file, 2, 2, (size - 2) / 2};
    } else if (size >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
        text = {file, 3, 1, size - 3};
    }
    const char* const texts[key_count] = {values.scale, values.offset_x, values.offset_y};

    change changes[key_count + 1];
    bool found[key_count] = {};
    std::size_t change_count = 0;
    line first_line_end{0, 0, 0};
    bool in_section = false;
    bool section_seen = false;
    std::size_t section_end = text.count; // after its last line that is not blank
    bool section_end_has_line_end = true;
    for (std::size_t at = 0; at != text.count;) {
        const line l = next_line(text, at);
        at = l.end;
        if (first_line_end.end == 0 && l.end != l.content_end) {
            first_line_end = l;
        }
        bool ours = false;
        const bool header = is_header(text, l, ours);
        if (header && in_section) {
            break;
        }
        if (header) {
            in_section = ours && !section_seen;
            section_seen = section_seen || ours;
        }
        const std::size_t first = skip_blanks(text, l.begin, l.content_end);
        if (!in_section || first == l.content_end) {
            continue;
        }
        section_end = l.end;
        section_end_has_line_end = l.end != l.content_end;
        if (header || text.at(first) == ';') {
            continue;
        }
        std::size_t equals = first;
        while (equals != l.content_end && text.at(equals) != '=') {
            ++equals;
        }
        const std::size_t key_end = trim_end(text, first, equals);
        for (std::size_t k = 0; k != key_count; ++k) {
            if (!found[k] && text.same_word(first, key_end, keys[k])) {
                found[k] = true;
                const change c = value_of(text, l, key_end, equals, static_cast<int>(k));
                char value[24];
                if (c.bare || values.already_written == nullptr || !ascii_value(text, c, value) ||
                    !values.already_written(static_cast<int>(k), value)) {
                    changes[change_count++] = c;
                }
            }
        }
    }
    const bool all_found = found[0] && found[1] && found[2];
    if (!all_found) {
        changes[change_count++] = {section_end, section_end, -1};
    }

    writer w(out, capacity, text.width);
    const char* const line_end = [&] {
        if (first_line_end.end == 0) {
            return "\r\n";
        }
        const unsigned c = text.at(first_line_end.content_end);
        return first_line_end.end - first_line_end.content_end == 2 ? "\r\n"
               : c == '\r'                                          ? "\r"
                                                                    : "\n";
    }();
    w.bytes(file, text.first);
    std::size_t copied = 0;
    // The changes in the order they stand; at most four, so a plain pick.
    for (std::size_t done = 0; done != change_count; ++done) {
        std::size_t next = 0;
        for (std::size_t i = 1; i != change_count; ++i) {
            if (changes[i].begin < changes[next].begin) {
                next = i;
            }
        }
        change c = changes[next];
        changes[next].begin = static_cast<std::size_t>(-1);
        w.bytes(file + text.offset(copied), text.offset(c.begin) - text.offset(copied));
        copied = c.end;
        if (c.key >= 0) {
            w.ascii(c.bare ? " = " : "");
            w.ascii(texts[c.key]);
            continue;
        }
        if (!section_seen) {
            if (text.count != 0 && text.at(text.count - 1) != '\n' &&
                text.at(text.count - 1) != '\r') {
                w.ascii(line_end);
            }
            w.ascii("[speedometer]");
            w.ascii(line_end);
        } else if (!section_end_has_line_end) {
            w.ascii(line_end);
        }
        for (std::size_t k = 0; k != key_count; ++k) {
            if (!found[k]) {
                w.ascii(keys[k]);
                w.ascii(" = ");
                w.ascii(texts[k]);
                w.ascii(line_end);
            }
        }
    }
    w.bytes(file + text.offset(copied), size - text.offset(copied));
    return w.size();
}
