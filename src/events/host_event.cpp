#include "events/host_event.hpp"

#include <cstddef>

void run_handlers(const handler_list& handlers) {
    // Over the count fixed at the start: a handler that adds to its own list
    // appends behind this run, which never runs the new handler early.
    std::size_t remaining = handlers.size();
    for (auto it = handlers.begin(); remaining > 0; ++it, --remaining) {
        // Each run goes to a fresh copy, so state a handler changes in itself
        // is gone by the next dispatch. An empty copy throws bad_function_call.
        const handler copy = *it;
        copy();
    }
}

void* dispatch::operator()(std::function<void*()> next) const {
    run_handlers(state->before_handlers);
    void* const result = next(); // an empty next throws bad_function_call
    run_handlers(state->after_handlers);
    return result;
}
