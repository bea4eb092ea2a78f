// Another program's window, such as a chat or a browser a player types into
// while the game draws behind it: it comes to the front and stays there until
// it is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK handle_message(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcW(window, message, w, l);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = handle_message;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"other_program";
    RegisterClassW(&window_class);
    const HWND window =
        CreateWindowW(window_class.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW, 40, 40,
                      320, 240, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
