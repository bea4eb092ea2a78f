#include "speedometer/key_presses.hpp"

#include <windows.h>

bool key_held(std::uint8_t key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

bool host_window_in_front() {
    DWORD process = 0;
    const HWND front = GetForegroundWindow();
    return front != nullptr && GetWindowThreadProcessId(front, &process) != 0 &&
           process == GetCurrentProcessId();
}
