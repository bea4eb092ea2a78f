// Call sites shared with another plug-in: chained when it came first, its
// bytes kept when it came after, and the host's code back once both are gone,
// whichever leaves first.
#include "module_fixture.hpp"

#include "host/addresses.hpp"

using sim::host_fn;

namespace {

template <class F> F* exported(HMODULE module, const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class foreign_plugin {
  public:
    explicit foreign_plugin(std::uint32_t site) : module(LoadLibraryA("foreign_plugin.dll")) {
        EXPECT_NE(module, nullptr);
        if (module != nullptr) {
            exported<void(std::uint32_t)>(module, "foreign_take_over")(site);
        }
    }
    ~foreign_plugin() { unload(); }

    void unload() {
        if (module != nullptr) {
            FreeLibrary(module);
            module = nullptr;
        }
    }

    std::uint32_t passes() const {
        return exported<std::uint32_t()>(module, "foreign_pass_count")();
    }

  private:
    HMODULE module;
};

struct shared_site {
    std::uint32_t site;
    host_fn host_callee;
    host_fn called_by_module; // shows that the module's handler ran
};

const shared_site shared_sites[] = {
    {host_address::init_call_site, host_fn::init_callee, host_fn::load_txd},
    {host_address::draw_call_site, host_fn::draw_callee, host_fn::render_2d},
    {host_address::shutdown_call_site, host_fn::shutdown_callee, host_fn::release_txd},
    {host_address::hud_text_a_call_site, host_fn::hud_text_a, host_fn::player_vehicle},
    {host_address::hud_text_b_call_site, host_fn::hud_text_b, host_fn::player_vehicle},
};

// Runs the site as the host does, whatever kind of site it is.
void run_site(std::uint32_t site) {
    if (site == host_address::hud_text_a_call_site) {
        sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
    } else if (site == host_address::hud_text_b_call_site) {
        sim::run_text_site(sim::text_site::b, 1500.0f, 10.0f, 0);
    } else {
        const sim::event_site events[] = {sim::event_site::init, sim::event_site::draw,
                                          sim::event_site::shutdown};
        for (sim::event_site event : events) {
            if (sim::site_address(event) == site) {
                sim::run_event_site(event);
            }
        }
    }
}

} // namespace

TEST_F(module_test, a_site_another_plugin_took_first_runs_its_call_within_the_module_handlers) {
    for (const shared_site& shared : shared_sites) {
        foreign_plugin other(shared.site);
        load();
        enter_vehicle(0.5f);
        if (shared.site != host_address::init_call_site) {
            sim::run_event_site(sim::event_site::init);
        }
        const std::uint32_t passes_before = other.passes();
        sim::clear_calls();
        run_site(shared.site);
        EXPECT_TRUE(inside_module(call_target(shared.site))) << std::hex << shared.site;
        EXPECT_EQ(other.passes(), passes_before + 1) << std::hex << shared.site;
        EXPECT_EQ(sim::count_of(shared.host_callee), 1u) << std::hex << shared.site;
        EXPECT_GE(sim::count_of(shared.called_by_module), 1u) << std::hex << shared.site;
        if (shared.host_callee == host_fn::hud_text_a ||
            shared.host_callee == host_fn::hud_text_b) {
            EXPECT_EQ(sim::calls_of(shared.host_callee)[0].float_arg(0), 1500.0f - 355.0f);
        }
        unload();
        other.unload();
        EXPECT_TRUE(sim::changed_code_bytes().empty()) << std::hex << shared.site;
    }
}

TEST_F(module_test, either_unload_order_gives_the_host_its_code_back) {
    for (std::uint32_t site : {host_address::draw_call_site, host_address::hud_text_b_call_site}) {
        for (bool module_first : {true, false}) {
            foreign_plugin other(site);
            load();
            sim::run_event_site(sim::event_site::init);
            if (module_first) {
                unload();
                other.unload();
            } else {
                other.unload();
                unload();
            }
            EXPECT_TRUE(sim::changed_code_bytes().empty())
                << std::hex << site << (module_first ? " module first" : " other plug-in first");
        }
    }
}

TEST_F(module_test, unloading_keeps_the_call_of_a_plugin_that_patched_the_site_after_the_module) {
    for (std::uint32_t site : {host_address::draw_call_site, host_address::hud_text_a_call_site}) {
        load();
        sim::run_event_site(sim::event_site::init);
        foreign_plugin other(site);
        const auto its_call = live_bytes(site, 5);
        unload();
        EXPECT_EQ(live_bytes(site, 5), its_call) << std::hex << site;
        // Its own unload puts back the module's call, which leads nowhere now.
        other.unload();
        sim::restore_code();
    }
}
