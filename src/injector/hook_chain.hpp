#pragma once
// The callables that make up a hooked call: each hook receives the rest of the
// chain as `next` and decides whether and when it runs.
#include <functional>
#include <utility>

namespace injector {

// The rest of a site's chain, down to the host's original callee.
template <class R> using chain_next = std::function<R()>;

// What a hook stores: it is handed the rest of the chain and returns what the
// host's call yields.
template <class R> using chain_callback = std::function<R(chain_next<R>)>;

// The hooks of this module replace calls that take no arguments and return a
// pointer-sized value.
using hook_callback = chain_callback<void*>;

// One hook of a chain of two or more, bound to everything that runs after it.
template <class R> struct chain_link {
    chain_callback<R> callback;
    chain_next<R> inner;

    // The callback gets its own copy of the inner chain.
    R operator()() const { return callback(inner); }
};

} // namespace injector
