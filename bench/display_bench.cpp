// What one speedometer frame costs: the module's own work with the host's
// drawing reduced to no-ops, the same with the simulated host drawing through
// its Direct3D 9 device and reading the frame back, and the heap allocations
// a frame makes.
#include "benchmarks.hpp"

#include "host/types.hpp"
#include "simhost/sim_host.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/trig_tables.hpp"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

struct timing {
    double nanoseconds_per_frame;
    std::uint64_t allocations;
};

timing time_frames(int frames, bool read_back) {
    const std::uint64_t allocations_before = heap_allocations();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        draw_speedometer();
        if (read_back) {
            // The device works asynchronously: a frame is done when read.
            sim::pixel(0, 0);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double nanoseconds =
        std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(frames);
    return {nanoseconds, heap_allocations() - allocations_before};
}

} // namespace

void run_display_benchmark() {
    sim::set_screen(1920, 1080);
    // The atlas's content does not change the cost of drawing it.
    speedometer_texture = sim::add_texture(1024, 512, std::vector<std::uint32_t>(1024 * 512, ~0u));
    build_trig_tables();
    // At the top speed the arc is at its longest.
    sim::vehicle_state vehicle;
    vehicle.kind = 2;
    vehicle.speed[0] = 1.2f;
    vehicle.status = 3;
    sim::set_vehicle(vehicle);
    sim::set_call_logging(false);

    constexpr int module_frames = 200000;
    constexpr int device_frames = 100;
    sim::set_drawing_enabled(false);
    time_frames(1000, false); // warm up
    const timing module_only = time_frames(module_frames, false);
    std::printf("display: draw_speedometer, host drawing as no-ops: %.0f ns a frame (%d frames)\n",
                module_only.nanoseconds_per_frame, module_frames);
    std::printf("display: heap allocations a frame: %llu (%llu in %d frames)\n",
                static_cast<unsigned long long>(module_only.allocations / module_frames),
                static_cast<unsigned long long>(module_only.allocations), module_frames);

    sim::set_drawing_enabled(true);
    sim::clear_frame();
    time_frames(5, true); // creates the device, its target and the atlas texture
    const timing device = time_frames(device_frames, true);
    // The same frames drawn over one another, read back once at the end:
    // what the device's drawing costs without the read-back.
    const auto start = std::chrono::steady_clock::now();
    time_frames(device_frames, false);
    sim::pixel(0, 0);
    const double drawing_only =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count() /
        device_frames;
    if (sim::drawing_error().empty()) {
        std::printf("display: draw_speedometer, host drawing with the Direct3D 9 device at "
                    "1920x1080 and reading the frame back: %.0f us a frame (%d frames)\n",
                    device.nanoseconds_per_frame / 1000.0, device_frames);
        std::printf("display: the same, frame read back once at the end: %.0f us a frame (%d "
                    "frames)\n",
                    drawing_only, device_frames);
    } else {
        std::printf("display: no device figure: %s\n", sim::drawing_error().c_str());
    }

    sim::set_call_logging(true);
    sim::set_drawing_enabled(false);
    sim::clear_vehicle();
    speedometer_texture = nullptr;
}
