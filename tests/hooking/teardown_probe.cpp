// A module like the plug-in, but with its events at scratch sites of the test
// program that loads it.
#include "teardown_probe.hpp"

#include "events/host_event.hpp"

namespace {

host_event<scratch::call_at(probe::first_site), handler_position::after> first_event;
host_event<scratch::call_at(probe::second_site), handler_position::before> second_event;

// Tells the test program whenever it runs and whenever a copy of it is destroyed.
class noted_handler {
  public:
    noted_handler(int id, probe::handler_note ran, probe::handler_note destroyed)
        : id(id), ran(ran), destroyed(destroyed) {}
    noted_handler(const noted_handler&) = default;
    noted_handler& operator=(const noted_handler&) = default;
    ~noted_handler() { destroyed(id); }

    void operator()() const { ran(id); }

  private:
    int id;
    probe::handler_note ran;
    probe::handler_note destroyed;
};

} // namespace

extern "C" __declspec(dllexport) void probe_add_handlers(probe::handler_note ran,
                                                         probe::handler_note destroyed) {
    first_event.add(noted_handler{1, ran, destroyed});
    second_event.add(noted_handler{2, ran, destroyed});
}
