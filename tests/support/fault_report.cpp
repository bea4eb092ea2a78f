// Says where a test program died, and ends it at once: left to Wine, a fault
// nothing handles starts its debugger, which waits on a display until CTest
// gives up. A check of the trapping build ends in an illegal instruction that
// nothing handles; so would any other fault. The report gives the exception's
// code, the faulting address as module+offset, which tools/name-traps.sh
// turns into a function name, and the test that ran.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char* fault_name(DWORD code) {
    switch (code) {
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return "trap (illegal instruction)";
    case EXCEPTION_ACCESS_VIOLATION:
        return "access violation";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return "integer division by zero";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    default:
        return "unhandled exception";
    }
}

LONG WINAPI report_fault(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const auto address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
    HMODULE module = nullptr;
    char path[MAX_PATH] = "unknown";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(record.ExceptionAddress), &module)) {
        GetModuleFileNameA(module, path, sizeof path);
    }
    const char* file = std::strrchr(path, '\\');
    file = file != nullptr ? file + 1 : path;
    const std::uintptr_t offset = address - reinterpret_cast<std::uintptr_t>(module);

    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::fflush(stdout);
    std::fprintf(stderr, "fault: %s (0x%08lX) at %s+0x%X (0x%08X) in %s.%s\n",
                 fault_name(record.ExceptionCode), record.ExceptionCode, file,
                 static_cast<unsigned>(offset), static_cast<unsigned>(address),
                 test != nullptr ? test->test_suite_name() : "no test",
                 test != nullptr ? test->name() : "running");
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER; // ends the process with the exception's code
}

// Set after the C run-time's own filter, which it installs before any
// constructor runs.
[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER run_time_filter =
    SetUnhandledExceptionFilter(report_fault);

} // namespace
