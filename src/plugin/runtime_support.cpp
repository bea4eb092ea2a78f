// Run-time support of the module players get, linked only into the DLL.
//
// The C++ run-time is linked statically, and two of its pieces were made for
// programs, not for a plug-in that may be loaded and unloaded many times:
//
// - Its default terminate handler reports an uncaught exception with a general
//   name demangler and the MinGW printf family behind it, about a third of the
//   module's weight. The only exceptions that can reach it here are the
//   standard library's own (allocation failure, container length, empty
//   function call), whose names are all of the simple "St<length><name>"
//   form. This handler prints the very same report for them and then aborts,
//   as the default does.
// - It registers the module's unwind tables when the module loads, and that
//   first registration creates a lock (a semaphore handle) that nothing ever
//   closes: every load would leave a handle behind, though the module raises
//   an exception only to end the process. The tables are registered instead
//   when the first exception is raised, so a module that never throws sets up
//   no unwinding state at all. The link wraps the three entry points below
//   (see the module's link options).
// - Its emergency exception pool is taken from the heap when the module loads
//   and, in this compiler's run-time, never given back, so every load would
//   leave it behind. The run-time's own release function hands it back when
//   the module's statics go; nothing can throw after that point.
#include <windows.h>

#include <unwind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace __gnu_cxx {
void __freeres();
}

extern "C" {
void __real___register_frame_info(const void* begin, void* object);
void* __real___deregister_frame_info(const void* begin);
_Unwind_Reason_Code __real__Unwind_RaiseException(_Unwind_Exception* exception);
}

namespace {

// The module's unwind tables as the start-up code offered them.
const void* unwind_tables = nullptr;
void* unwind_tables_record = nullptr;
// Set up statically, so it makes no handle: each load would otherwise leave
// one behind.
INIT_ONCE unwind_tables_registration = INIT_ONCE_STATIC_INIT;
bool unwind_tables_registered = false;

BOOL CALLBACK register_unwind_tables(PINIT_ONCE, PVOID, PVOID*) {
    __real___register_frame_info(unwind_tables, unwind_tables_record);
    unwind_tables_registered = true;
    return TRUE;
}

// A thread raising the module's first exception while another registers the
// tables sleeps until they are registered.
void register_unwind_tables_once() {
    InitOnceExecuteOnce(&unwind_tables_registration, register_unwind_tables, nullptr, nullptr);
}

struct exception_pool_release {
    ~exception_pool_release() { __gnu_cxx::__freeres(); }
};

// Created first among the module's statics, so it is destroyed last.
[[gnu::init_priority(101)]] exception_pool_release release_exception_pool_at_unload;

// Writes "std::length_error" for "St12length_error", "name" for "4name"; any
// other form as it stands, as the default handler does when it cannot demangle.
void put_type_name(const char* mangled) {
    const char* rest = mangled;
    const bool in_std = std::strncmp(rest, "St", 2) == 0;
    if (in_std) {
        rest += 2;
    }
    char* end = nullptr;
    const unsigned long length = std::strtoul(rest, &end, 10);
    if (end == rest || std::strlen(end) != length) {
        std::fputs(mangled, stderr);
        return;
    }
    if (in_std) {
        std::fputs("std::", stderr);
    }
    std::fputs(end, stderr);
}

} // namespace

extern "C" void __wrap___register_frame_info(const void* begin, void* object) {
    unwind_tables = begin;
    unwind_tables_record = object;
}

extern "C" void* __wrap___deregister_frame_info(const void* begin) {
    if (!unwind_tables_registered) {
        return unwind_tables_record;
    }
    unwind_tables_registered = false;
    return __real___deregister_frame_info(begin);
}

extern "C" _Unwind_Reason_Code __wrap__Unwind_RaiseException(_Unwind_Exception* exception) {
    if (unwind_tables != nullptr) {
        register_unwind_tables_once();
    }
    return __real__Unwind_RaiseException(exception);
}

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool terminating = false;
    if (terminating) {
        std::fputs("terminate called recursively\n", stderr);
        std::abort();
    }
    terminating = true;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) {
        std::fputs("terminate called without an active exception\n", stderr);
        std::abort();
    }
    std::fputs("terminate called after throwing an instance of '", stderr);
    put_type_name(type->name());
    std::fputs("'\n", stderr);
    try {
        throw;
    } catch (const std::exception& error) {
        std::fputs("  what():  ", stderr);
        std::fputs(error.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
    }
    std::abort();
}

} // namespace __gnu_cxx
