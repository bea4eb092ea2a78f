#include "simhost/call_log.hpp"

#include "simhost/image_layout.hpp"

#include <algorithm>

namespace sim {
namespace {

// A render call's vertices, kept in one flat store so that logging a frame
// costs no allocation once the store has grown.
struct batch_span {
    std::int32_t primitive;
    std::uint32_t texture;
    std::size_t first;
    std::size_t count;
};

struct call_log {
    bool enabled = true;
    std::vector<call_record> records;
    std::vector<batch_span> batches;
    std::vector<screen_vertex> vertices;

    call_log() {
        records.reserve(1 << 14);
        batches.reserve(1 << 12);
        vertices.reserve(1 << 15);
    }
};

call_log& the_log() {
    static call_log log;
    return log;
}

// Render calls with absurd counts are logged with this many vertices at most.
constexpr std::int32_t max_logged_vertices = 1 << 16;

} // namespace

namespace detail {

bool call_logging_enabled() {
    return the_log().enabled;
}

void log_call(host_fn fn, std::initializer_list<std::uint32_t> args, std::uint32_t result) {
    call_log& log = the_log();
    if (!log.enabled) {
        return;
    }
    call_record record{};
    record.fn = fn;
    if (args.size() > record.args.size()) {
        fatal("a host call has more arguments than a call record holds");
    }
    record.arg_count = static_cast<std::uint8_t>(args.size());
    std::copy(args.begin(), args.end(), record.args.begin());
    record.result = result;
    log.records.push_back(record);
}

void log_render_batch(std::int32_t primitive, std::uint32_t texture, const screen_vertex* vertices,
                      std::int32_t count) {
    call_log& log = the_log();
    if (!log.enabled) {
        return;
    }
    const std::int32_t kept = vertices == nullptr ? 0 : std::clamp(count, 0, max_logged_vertices);
    log.batches.push_back(
        {primitive, texture, log.vertices.size(), static_cast<std::size_t>(kept)});
    log.vertices.insert(log.vertices.end(), vertices, vertices + kept);
}

void reset_call_log() {
    call_log& log = the_log();
    log.enabled = true;
    log.records.clear();
    log.batches.clear();
    log.vertices.clear();
}

} // namespace detail

const std::vector<call_record>& calls() {
    install();
    return the_log().records;
}

void clear_calls() {
    install();
    call_log& log = the_log();
    log.records.clear();
    log.batches.clear();
    log.vertices.clear();
}

void set_call_logging(bool enabled) {
    install();
    the_log().enabled = enabled;
}

std::vector<call_record> calls_of(host_fn fn) {
    install();
    std::vector<call_record> found;
    for (const call_record& record : the_log().records) {
        if (record.fn == fn) {
            found.push_back(record);
        }
    }
    return found;
}

std::size_t count_of(host_fn fn) {
    install();
    const auto& records = the_log().records;
    return static_cast<std::size_t>(std::count_if(
        records.begin(), records.end(), [fn](const call_record& r) { return r.fn == fn; }));
}

std::vector<render_batch> render_batches() {
    install();
    const call_log& log = the_log();
    std::vector<render_batch> batches;
    batches.reserve(log.batches.size());
    for (const batch_span& span : log.batches) {
        const auto first = log.vertices.begin() + static_cast<std::ptrdiff_t>(span.first);
        batches.push_back(
            {span.primitive, span.texture,
             std::vector<screen_vertex>(first, first + static_cast<std::ptrdiff_t>(span.count))});
    }
    return batches;
}

std::vector<screen_vertex> last_vertices() {
    install();
    const call_log& log = the_log();
    if (log.batches.empty()) {
        return {};
    }
    const batch_span& span = log.batches.back();
    const auto first = log.vertices.begin() + static_cast<std::ptrdiff_t>(span.first);
    return {first, first + static_cast<std::ptrdiff_t>(span.count)};
}

} // namespace sim
