#pragma once
// Events bound to host call sites: whenever the host executes the call at an
// event's site, the event's before-handlers run, then the host's original
// callee, then the after-handlers, and the callee's result goes back to the host.
#include "host/addresses.hpp"
#include "injector/hooking.hpp"

#include <functional>
#include <list>
#include <utility>

using handler = std::function<void()>;

enum class handler_position { before, after };

// A list, not a vector: growing it can fail only for want of memory, so the
// module raises no length error and links none of the string-based exception
// classes that report one.
using handler_list = std::list<handler>;

struct event_state {
    bool installed = false; // set just before the site is taken over; never cleared
    handler_list before_handlers;
    handler_list after_handlers;
};

// The hook callback of every event: runs the handler lists of one event_state
// around the rest of the site's chain.
struct dispatch {
    event_state* state;

    void* operator()(std::function<void*()> next) const;
};

// Runs each handler of the list as it stands when the run starts, each through
// a copy of its own, in order of addition.
void run_handlers(const handler_list& handlers);

// Holds no data: an event is all in its event_state, which is created by the
// first add, so an event nothing is added to leaves its site alone.
template <host_address::value Site, handler_position Position> class host_event {
  public:
    using hooker = injector::function_hooker<Site, void*()>;

    // Appends to the list of the event's position; the first add takes the
    // event's site over first.
    host_event& add(handler new_handler) {
        handler pending = std::move(new_handler);
        event_state& current = state();
        if (!current.installed) {
            // Set first: should installing fail, no later add tries again.
            current.installed = true;
            install();
        }
        handler_list& handlers =
            Position == handler_position::before ? current.before_handlers : current.after_handlers;
        handlers.push_back(std::move(pending));
        return *this;
    }

    // Takes the event's site again if it was given back since the event took
    // it (see function_hooker_manager::take_again); else changes nothing.
    static void take_site_again() {
        if (state().installed) {
            hooker::manager_type::instance()->take_again();
        }
    }

  private:
    // Created on the first call, which registers its destruction at exit then.
    static event_state& state() {
        static event_state current;
        return current;
    }

    static const hooker& install() {
        hooker first{dispatch{&state()}};
        // Declared after the hooker is built: the site's registry slot, made
        // while building it, is released at exit after this list is gone, so
        // the site is given back before its manager is released and before
        // the handlers it led to are freed.
        static std::list<hooker> site_hookers;
        site_hookers.push_back(first);
        return site_hookers.back();
    }
};
