// A million frames of random host data through the real module: whatever
// the host hands it, the module must not crash, allocate, leave a texture
// selected, or hand the host coordinates it cannot draw.
#include "simhost/import_tap.hpp"
#include "module_fixture.hpp"

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace {

struct frame_checks {
    bool inputs_finite = true;
    std::uint64_t vertices = 0;
    std::uint64_t uv_outside = 0;
    std::uint64_t not_finite = 0;
    std::uint64_t texture_left_selected = 0;
    std::uint64_t allocations = 0;
};

frame_checks checks;
bool counting_allocations = false;

void check_vertices(std::int32_t, const screen_vertex* vertices, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const screen_vertex& v = vertices[i];
        ++checks.vertices;
        if (!(v.u >= 0.0f && v.u <= 1.0f && v.v >= 0.0f && v.v <= 1.0f)) {
            ++checks.uv_outside;
        }
        const bool finite =
            std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.rhw);
        if (checks.inputs_finite && !finite) {
            ++checks.not_finite;
        }
    }
}

decltype(&std::malloc) real_malloc = nullptr;
decltype(&std::calloc) real_calloc = nullptr;
decltype(&std::realloc) real_realloc = nullptr;

void* counted_malloc(std::size_t size) {
    checks.allocations += counting_allocations;
    return real_malloc(size);
}
void* counted_calloc(std::size_t count, std::size_t size) {
    checks.allocations += counting_allocations;
    return real_calloc(count, size);
}
void* counted_realloc(void* block, std::size_t size) {
    checks.allocations += counting_allocations;
    return real_realloc(block, size);
}

template <class F> F tap(HMODULE module, const char* function, F replacement) {
    return reinterpret_cast<F>(
        tap_import(module, "msvcrt.dll", function, reinterpret_cast<void*>(replacement)));
}

class random_host {
  public:
    float speed_component() {
        constexpr float max = std::numeric_limits<float>::max();
        constexpr float special[] = {std::numeric_limits<float>::quiet_NaN(),
                                     -std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::denorm_min(),
                                     -std::numeric_limits<float>::denorm_min(),
                                     max,
                                     -max,
                                     0.0f,
                                     -0.0f,
                                     1e30f,
                                     -1e30f};
        switch (next() % 4) {
        case 0:
            return std::bit_cast<float>(next()); // any pattern, NaNs and denormals included
        case 1:
            return special[next() % std::size(special)];
        default:
            return std::uniform_real_distribution<float>(-3.0f, 3.0f)(engine);
        }
    }

    // Zero, tiny, huge or anything between, so that aspect ratios reach 8192:1.
    std::int32_t screen_side() {
        constexpr std::int32_t sides[] = {0, 1, 2, 8191, 8192};
        return next() % 3 == 0 ? sides[next() % std::size(sides)]
                               : static_cast<std::int32_t>(next() % 8193);
    }

    std::int32_t vehicle_kind() {
        return next() % 2 == 0 ? static_cast<std::int32_t>(next() % 16)
                               : static_cast<std::int32_t>(next());
    }

    std::uint32_t next() { return engine(); }

  private:
    std::mt19937 engine{20240610}; // fixed: every run sees the same frames
};

} // namespace

TEST_F(module_test, a_million_random_frames_draw_only_what_the_host_can_take_and_allocate_nothing) {
    constexpr int frames = 1'000'000;
    constexpr int frames_per_game = 50'000; // then the texture is dropped or loaded again
    load();
    real_malloc = tap(module_, "malloc", &counted_malloc);
    real_calloc = tap(module_, "calloc", &counted_calloc);
    real_realloc = tap(module_, "realloc", &counted_realloc);
    ASSERT_NE(real_malloc, nullptr);
    sim::set_drawing_enabled(false);
    sim::set_call_logging(false);
    sim::set_render_observer(&check_vertices);
    checks = {};

    random_host host;
    bool texture_loaded = false;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame % frames_per_game == 0) {
            texture_loaded = !texture_loaded;
            sim::run_event_site(texture_loaded ? sim::event_site::init : sim::event_site::shutdown);
        }
        sim::vehicle_state vehicle;
        for (float& component : vehicle.speed) {
            component = host.speed_component();
        }
        vehicle.kind = host.vehicle_kind();
        vehicle.status = static_cast<std::uint8_t>(host.next());
        if (host.next() % 10 == 0) {
            sim::clear_vehicle();
        } else {
            sim::set_vehicle(vehicle);
        }
        sim::set_screen_globals(host.screen_side(), host.screen_side());
        checks.inputs_finite = std::isfinite(vehicle.speed[0]) && std::isfinite(vehicle.speed[1]) &&
                               std::isfinite(vehicle.speed[2]);

        counting_allocations = true;
        sim::run_event_site(sim::event_site::draw);
        counting_allocations = false;
        checks.texture_left_selected += sim::selected_texture() != 0;
    }
    sim::run_event_site(sim::event_site::shutdown);
    sim::set_render_observer(nullptr);
    sim::set_call_logging(true);
    sim::set_screen(1920, 1080);

    std::printf("random frames: %d frames, %llu vertices; texture coordinates outside [0, 1]: "
                "%llu; vertices not finite from finite input: %llu; frames ending with a texture "
                "selected: %llu; heap allocations: %llu\n",
                frames, static_cast<unsigned long long>(checks.vertices),
                static_cast<unsigned long long>(checks.uv_outside),
                static_cast<unsigned long long>(checks.not_finite),
                static_cast<unsigned long long>(checks.texture_left_selected),
                static_cast<unsigned long long>(checks.allocations));
    EXPECT_GT(checks.vertices, 0u);
    EXPECT_EQ(checks.uv_outside, 0u);
    EXPECT_EQ(checks.not_finite, 0u);
    EXPECT_EQ(checks.texture_left_selected, 0u);
    EXPECT_EQ(checks.allocations, 0u);
}
