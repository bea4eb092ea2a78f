#include "simhost/texture_store.hpp"

#include "simhost/drawing_device.hpp"
#include "simhost/sim_host.hpp"

#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

namespace sim {
namespace {

struct texture_store {
    // Ids are never reused, so a stale id selects nothing rather than
    // another texture.
    std::uint32_t next_id = 1;
    std::map<std::uint32_t, std::unique_ptr<detail::stored_texture>> textures;
};

texture_store& the_store() {
    static texture_store store;
    return store;
}

} // namespace

namespace detail {

host_texture* store_texture(int width, int height, txd::pixel_encoding encoding,
                            std::vector<std::vector<std::uint8_t>> levels,
                            texture_sampling sampling) {
    texture_store& store = the_store();
    const std::uint32_t id = store.next_id++;
    auto texture = std::make_unique<stored_texture>(
        stored_texture{host_texture{id}, width, height, encoding, std::move(levels), sampling});
    host_texture* record = &texture->record;
    store.textures.emplace(id, std::move(texture));
    return record;
}

void drop_texture(std::uint32_t render_id) {
    device_forget_texture(render_id);
    the_store().textures.erase(render_id);
}

const stored_texture* find_texture(std::uint32_t render_id) {
    const auto& textures = the_store().textures;
    const auto found = textures.find(render_id);
    return found == textures.end() ? nullptr : found->second.get();
}

} // namespace detail

host_texture* add_texture(int width, int height, const std::vector<std::uint32_t>& rgba,
                          texture_sampling sampling) {
    install();
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        throw std::invalid_argument("texture size does not match its texels");
    }
    const int u = sampling.addressing & 0x0F;
    const int v = sampling.addressing >> 4;
    if ((sampling.filter_mode != 1 && sampling.filter_mode != 2) || u < 1 || u > 4 || v < 1 ||
        v > 4) {
        throw std::invalid_argument("no such filter or addressing mode");
    }
    // Texels packed R | G << 8 | B << 16 | A << 24 are bytes R, G, B, A in memory.
    std::vector<std::uint8_t> bytes(rgba.size() * 4);
    std::memcpy(bytes.data(), rgba.data(), bytes.size());
    return detail::store_texture(width, height, txd::pixel_encoding::rgba32, {std::move(bytes)},
                                 sampling);
}

} // namespace sim
