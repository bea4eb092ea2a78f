#include "simhost/render_observer.hpp"

#include "simhost/sim_host.hpp"

namespace sim {
namespace {
// Constant-initialised: the host may render before any constructor runs.
render_observer current_observer = nullptr;
} // namespace

void set_render_observer(render_observer observer) {
    install();
    current_observer = observer;
}

namespace detail {

void observe_render(std::int32_t primitive, const screen_vertex* vertices, std::int32_t count) {
    if (current_observer != nullptr) {
        current_observer(primitive, vertices, count);
    }
}

} // namespace detail
} // namespace sim
