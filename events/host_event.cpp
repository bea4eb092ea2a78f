#include "events/host_event.hpp"

#include <cstddef>

void run_handlers(const std::vector<handler>& handlers) {
    // By index over the count fixed at the start: a handler that adds to its
    // own list may move the storage, but never makes this run read freed
    // memory or run the new handler early.
    const std::size_t count = handlers.size();
    for (std::size_t i = 0; i < count; ++i) {
        // Each run goes to a fresh copy, so state a handler changes in itself
        // is gone by the next dispatch. An empty copy throws bad_function_call.
        const handler copy = handlers[i];
        copy();
    }
}

void* dispatch::operator()(std::function<void*()> next) const {
    run_handlers(state->before_handlers);
    void* const result = next(); // an empty next throws bad_function_call
    run_handlers(state->after_handlers);
    return result;
}
