#include <gtest/gtest.h>
#include <windows.h>

namespace {

using probe_function = void (*)();

FARPROC probe(const char* name) {
    HMODULE module = LoadLibraryA("runtime_probe.dll");
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

TEST(module_runtime, exceptions_raised_inside_unwind_to_their_handler) {
    const auto raise_and_catch =
        reinterpret_cast<int (*)()>(reinterpret_cast<void*>(probe("raise_and_catch_length_error")));
    ASSERT_NE(raise_and_catch, nullptr);
    EXPECT_EQ(raise_and_catch(), 1);
    EXPECT_EQ(raise_and_catch(), 1);
}

TEST(module_runtime, uncaught_exceptions_end_the_process_with_the_usual_report) {
    const struct {
        const char* function;
        const char* report;
    } cases[] = {
        {"raise_allocation_error",
         "terminate called after throwing an instance of 'std::bad_alloc'\n  what\\(\\):  "
         "std::bad_alloc\n"},
        {"raise_length_error",
         "terminate called after throwing an instance of 'std::length_error'\n  what\\(\\):  "
         "vector::reserve\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function);
        EXPECT_DEATH(reinterpret_cast<probe_function>(reinterpret_cast<void*>(probe(c.function)))(),
                     c.report);
    }
}

} // namespace
