#pragma once
// A file looked into a few bytes at a time, never read whole: a check of a
// large file's headers costs a handful of small reads, whatever its size.
#include <cstdint>

class header_reads {
  public:
    // The path as given, so a relative one is taken from the current folder.
    explicit header_reads(const char* path);
    explicit header_reads(const wchar_t* path);
    ~header_reads();
    header_reads(const header_reads&) = delete;
    header_reads& operator=(const header_reads&) = delete;

    bool opened() const;
    // Not opened because the file, or a folder on its path, is not there.
    bool missing() const { return missing_; }
    std::uint64_t size() const { return size_; }
    // Exactly count bytes from offset, or false.
    bool read(std::uint32_t offset, void* bytes, std::uint32_t count) const;

  private:
    void take(void* file);

    void* file_;
    bool missing_ = false;
    std::uint64_t size_ = 0;
};
