#include "simhost/dictionaries.hpp"

#include "assets/texture_dictionary.hpp"
#include "simhost/sim_host.hpp"
#include "simhost/texture_store.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

namespace sim {
namespace {

struct dictionary {
    std::vector<host_texture*> textures;
};

struct dictionary_registry {
    std::string asset_root = ".";
    // Keyed by handle, so that a released or made-up handle is recognised as
    // such instead of being used.
    std::map<const void*, std::unique_ptr<dictionary>> loaded;
};

dictionary_registry& the_registry() {
    static dictionary_registry registry;
    return registry;
}

// The host names files with backslashes, relative to its own folder.
std::string file_path(const std::string& root, const char* path) {
    std::string relative = path;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (root.empty()) {
        return relative;
    }
    return root + "/" + relative;
}

dictionary* find(const void* handle) {
    const auto& loaded = the_registry().loaded;
    const auto found = loaded.find(handle);
    return found == loaded.end() ? nullptr : found->second.get();
}

} // namespace

namespace detail {

void* load_dictionary(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    dictionary_registry& registry = the_registry();
    const std::string file = file_path(registry.asset_root, path);
    std::string why;
    auto images = txd::read_file(file, &why);
    if (!images) {
        // A missing file is the host's ordinary case; a file it refuses is
        // worth a line.
        if (std::filesystem::exists(file)) {
            std::fprintf(stderr, "texture dictionary %s refused: %s\n", file.c_str(), why.c_str());
        }
        return nullptr;
    }
    auto loaded = std::make_unique<dictionary>();
    for (txd::texture_image& image : *images) {
        std::vector<std::vector<std::uint8_t>> levels;
        levels.push_back(std::move(image.rgba));
        for (auto& level : image.mip_levels) {
            levels.push_back(std::move(level));
        }
        loaded->textures.push_back(store_texture(image.width, image.height, image.encoding,
                                                 std::move(levels),
                                                 {image.filter_mode, image.addressing}));
    }
    void* handle = loaded.get();
    registry.loaded.emplace(handle, std::move(loaded));
    return handle;
}

host_texture* first_texture(void* handle) {
    const dictionary* found = find(handle);
    if (found == nullptr || found->textures.empty()) {
        return nullptr;
    }
    return found->textures.front();
}

bool release_dictionary(void* handle) {
    dictionary* found = find(handle);
    if (found == nullptr) {
        return false;
    }
    for (const host_texture* texture : found->textures) {
        drop_texture(texture->render_id);
    }
    the_registry().loaded.erase(handle);
    return true;
}

} // namespace detail

void set_asset_root(const std::string& folder) {
    install();
    the_registry().asset_root = folder;
}

std::size_t loaded_dictionary_count() {
    install();
    return the_registry().loaded.size();
}

} // namespace sim
