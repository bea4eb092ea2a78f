#include "injector/scoped_bytes.hpp"

#include <assert.h>

namespace injector {

void report_backup_too_large() {
    // Made directly rather than through assert(), so that release builds
    // report it too. It names the layer's chief header, injector/hooking.
    _assert("size <= bufsize", "injector/hooking", 82);
}

} // namespace injector
