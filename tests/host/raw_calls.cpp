#include "tests/host/raw_calls.hpp"

#include <windows.h>

namespace {

bool faulted = false;

LONG CALLBACK skip_probe_store(EXCEPTION_POINTERS* info) {
    const auto* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        record->ExceptionAddress != static_cast<void*>(write_byte_probe_store)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    faulted = true;
    info->ContextRecord->Eip = reinterpret_cast<DWORD>(write_byte_probe_resume);
    info->ContextRecord->Eax = 0;
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

bool store_faults(std::uint32_t address) {
    auto* byte = reinterpret_cast<unsigned char*>(address);
    void* handler = AddVectoredExceptionHandler(1, skip_probe_store);
    faulted = false;
    const int stored = write_byte_probe(byte, *byte);
    RemoveVectoredExceptionHandler(handler);
    return stored == 0 && faulted;
}
