#include "plugin/active_copy.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"

#include <windows.h>

#include <cwchar>

namespace {

// The mark is a small named section of the page file, named after the
// process so that two games side by side each have their own, and holding
// the full path of the copy at work so that a later copy can name it. The
// system keeps it while a handle to it is open: the working copy's, closed
// at its unload, so that a copy loaded after that can work.
constexpr DWORD mark_size = MAX_PATH * sizeof(wchar_t);

class process_mark {
  public:
    process_mark() = default;
    process_mark(const process_mark&) = delete;
    process_mark& operator=(const process_mark&) = delete;
    ~process_mark() {
        if (section != nullptr) {
            CloseHandle(section);
        }
    }

    HANDLE section = nullptr;
};

process_mark mark;

// Whatever made the mark's name first may have made it a section of reserved
// pages only (SEC_RESERVE): reading its view would fault inside DllMain. So
// the view is read only when all of it is committed and readable.
bool readable_view(const void* view) {
    constexpr DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    MEMORY_BASIC_INFORMATION region{};
    return view != nullptr && VirtualQuery(view, &region, sizeof region) == sizeof region &&
           region.State == MEM_COMMIT && (region.Protect & readable) != 0 &&
           (region.Protect & PAGE_GUARD) == 0 && region.RegionSize >= mark_size;
}

} // namespace

bool claim_the_process() {
    wchar_t name[48];
    _snwprintf(name, sizeof name / sizeof name[0], L"speedometer-copy-at-work-%lu",
               GetCurrentProcessId());
    name[sizeof name / sizeof name[0] - 1] = L'\0';
    const HANDLE section =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, mark_size, name);
    if (section == nullptr) {
        return true;
    }
    const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
    auto* const path = static_cast<wchar_t*>(
        MapViewOfFile(section, taken ? FILE_MAP_READ : FILE_MAP_WRITE, 0, 0, mark_size));
    if (!taken) {
        // The section starts zero-filled: a path that cannot be had stays empty.
        if (path != nullptr && !module_path(path, MAX_PATH)) {
            path[0] = L'\0';
        }
        if (path != nullptr) {
            UnmapViewOfFile(path);
        }
        mark.section = section;
        return true;
    }
    // A mark that cannot be read still stands: another copy is at work, as
    // far as this one can tell, which names none.
    char at_work[MAX_PATH * 3];
    at_work[0] = '\0';
    if (readable_view(path)) {
        wchar_t copy[MAX_PATH];
        std::wmemcpy(copy, path, MAX_PATH);
        copy[MAX_PATH - 1] = L'\0';
        to_utf8(copy, at_work, sizeof at_work);
    }
    if (path != nullptr) {
        UnmapViewOfFile(path);
    }
    CloseHandle(section);
    log_line("not running: another copy of the module is at work in this game: %s", at_work);
    return false;
}
