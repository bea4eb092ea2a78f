#pragma once
// How a file looks from outside, without opening it: whether it is there,
// its last-write time and its size. The size as well as the time, for file
// systems whose times are coarse: two saves within one tick of the clock
// most often differ in size.
#include <windows.h>

struct file_stamp {
    bool present = false;
    FILETIME last_write{};
    DWORD size_high = 0;
    DWORD size_low = 0;

    bool operator==(const file_stamp& other) const {
        return present == other.present &&
               last_write.dwLowDateTime == other.last_write.dwLowDateTime &&
               last_write.dwHighDateTime == other.last_write.dwHighDateTime &&
               size_high == other.size_high && size_low == other.size_low;
    }
    // Gone, or there with nothing in it.
    bool empty() const { return !present || (size_high == 0 && size_low == 0); }
};

// The file's stamp now; not present when it cannot be looked at.
file_stamp stamp_of(const wchar_t* path);
