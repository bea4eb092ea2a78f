#include "stop_request.hpp"

namespace preview {

namespace {

volatile LONG stop_was_asked = 0;

// Windows ends a process this long after its close event at the latest.
constexpr DWORD close_grace_ms = 4500;

HANDLE cleaned_up_event() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

} // namespace

BOOL WINAPI on_console_event(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        InterlockedExchange(&stop_was_asked, 1);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        InterlockedExchange(&stop_was_asked, 1);
        WaitForSingleObject(cleaned_up_event(), close_grace_ms);
        return TRUE;
    default:
        return FALSE;
    }
}

void listen_for_stop() {
    cleaned_up_event(); // made now, not in the handler's thread
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool stop_asked() {
    return InterlockedCompareExchange(&stop_was_asked, 0, 0) != 0;
}

void cleaned_up() {
    SetEvent(cleaned_up_event());
}

} // namespace preview
