#pragma once
// One section of a settings file, read in one call to the system's profile
// functions and looked up in memory. Key by key, every call opens the file
// anew: another program holding it shut for a moment (an editor saving, a
// backup or virus scanner) would make the later calls hand back their
// defaults, as if the file had lost those keys. One call either reads the
// whole section or fails, and a failure is told apart from an empty section.
#include <cstddef>

class profile_section {
  public:
    profile_section() = default;
    profile_section(const profile_section&) = delete;
    profile_section& operator=(const profile_section&) = delete;
    ~profile_section();

    // Reads the section of the file at path. False when the read was cut
    // short: it came back empty while the file, opened once more, could not
    // be read or shows the section with lines in it; or the file grew past
    // the largest settings file while it was read. A missing file, or one
    // without the section or with nothing in it, reads as complete and empty.
    // A file starting with a UTF-8 byte-order mark is judged by the reading
    // of the mark this system's profile functions were seen to use; while
    // none was seen, an empty read whose readings differ is made once more,
    // and lines then teach which it is.
    bool read(const wchar_t* path, const wchar_t* section);

    // The value of the key's first line, as the profile functions hand a
    // single value back: keys compared without ASCII case, blanks around the
    // '=' left out, one pair of matching quotes around the value taken off.
    // Lines starting with ';' are comments. Null when the section has no
    // such key, or when its first line has no '='.
    const wchar_t* find(const char* key, std::size_t& length) const;

  private:
    wchar_t* text_ = nullptr; // key=value entries, each ended by a zero
    std::size_t length_ = 0;
};
