#include "injector/scoped_bytes.hpp"

#include <assert.h>

namespace injector {

void report_backup_too_large() {
    // Reported by hand rather than through assert(), so that it is made in
    // release builds too, naming the hooking layer's header where the limit
    // is documented.
    _assert("size <= bufsize", "injector/hooking", 82);
}

} // namespace injector
