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
// - Its emergency exception pool is taken from the heap when the module loads
//   and, in this compiler's run-time, never given back, so every load would
//   leave it behind. The run-time's own release function hands it back when
//   the module's statics go; nothing can throw after that point.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace __gnu_cxx {
void __freeres();
}

namespace {

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

struct pool_release {
    ~pool_release() { __gnu_cxx::__freeres(); }
};

} // namespace

// Created first among the module's statics, so it is destroyed last.
[[gnu::init_priority(101)]] pool_release release_exception_pool_at_unload;

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
