#include "simhost/sim_host.hpp"

#include <windows.h>

namespace sim {

namespace {

HWND make_game_window() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"simulated_host_game";
    RegisterClassW(&window_class);
    return CreateWindowW(window_class.lpszClassName, L"simulated host", WS_OVERLAPPEDWINDOW, 0, 0,
                         320, 240, nullptr, nullptr, window_class.hInstance, nullptr);
}

void handle_pending_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

bool bring_host_window_to_front() {
    static const HWND window = make_game_window();
    if (window == nullptr) {
        return false;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    // The window system may take a few messages to move the focus.
    for (int attempt = 0; attempt < 50 && GetForegroundWindow() != window; ++attempt) {
        SetForegroundWindow(window);
        handle_pending_messages();
        if (GetForegroundWindow() != window) {
            Sleep(20);
        }
    }
    return GetForegroundWindow() == window;
}

} // namespace sim
