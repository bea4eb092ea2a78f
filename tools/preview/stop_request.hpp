#pragma once
// How a skin maker stops the previewer: Ctrl+C, Ctrl+Break, or the console
// window's close button (and logging off or shutting down). Each is a
// request that the program answers between sheets, so that the module is
// unloaded and the temporary game folder removed before the process ends.
#include <windows.h>

namespace preview {

// Installs the console handler.
void listen_for_stop();
bool stop_asked();
// Called once the game folder is gone: a window being closed may close now.
void cleaned_up();

// The handler itself. For a closing window it returns only once cleaned_up()
// was called (or the little time Windows gives has nearly run out), since
// the process ends as it returns.
BOOL WINAPI on_console_event(DWORD event);

} // namespace preview
