#pragma once
// The one manager of a hooked host call site. It keeps the hooks registered at
// the site, takes the site over when the first arrives and gives it back, byte
// for byte, when the last goes. Its entry thunk is where the host's rewritten
// call instruction leads, through the site's stub.
#include "injector/hook_chain.hpp"
#include "injector/hookable_call.hpp"
#include "injector/host_version.hpp"
#include "injector/protected_memory.hpp"
#include "injector/scoped_call.hpp"

#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <new>
#include <utility>

namespace injector {

// B is the site's hooker base class, which names the site; R the hooked
// call's result; A... its arguments.
template <class B, class R, class... A> class function_hooker_manager : public scoped_call {
    static_assert(sizeof...(A) == 0, "the hook chain hands no arguments on");

  public:
    // The host's call instruction, its original callee and the entry thunk
    // all use cdecl, the platform's default for free and static functions.
    using callee = R (*)(A...);
    using callback_type = chain_callback<R>;

    struct hook_entry {
        const B* owner; // only compared, never followed
        callback_type callback;
    };

    callee original_callee = nullptr; // where the site called before it was taken over
    std::list<hook_entry> entries;    // in order of registration
    bool hooked = false;              // the site leads to entry_thunk

    // Members go before the base, so the entries are dropped before a backup
    // still held is written back.
    ~function_hooker_manager() override = default;

    // The site's manager, created at the first call; the registry slot then
    // holds it until exit.
    static std::shared_ptr<function_hooker_manager> instance();

    // Registers the owner's callback and takes the site over unless it is
    // already taken.
    void add_entry(const B* owner, callback_type callback, callee thunk);
    // Replaces the owner's callback where it stands, or appends a new entry.
    void set_entry(const B* owner, callback_type callback);
    // Erases the owner's entry; with none left, the site is given back.
    void remove_entry(const B* owner);
    // Hands the entry of from over to to, at the back. The site stays taken.
    void move_entry(const B* from, const B* to);
    // Drops every entry, without telling their owners, and gives the site back.
    void restore_bytes() override;
    // Makes the site's path lead through the manager once again, entries
    // kept, when other plug-ins' calls written back since lead past it (see
    // scoped_call::lead_through). Else changes nothing.
    void take_again();

    // Reached from the host's rewritten call instruction. It may run on a stack
    // aligned to 4 bytes only; the module is compiled to cope with that.
    static R entry_thunk();

  private:
    using slot_type = std::shared_ptr<function_hooker_manager>;

    typename std::list<hook_entry>::iterator find_entry(const B* owner);
    R run_original_callee() const;

    static slot_type& registry_slot();
    static void release_registry_slot();

    // The slot is raw storage, so that it registers no destructor at load:
    // its release is registered when the manager is created, in order with
    // the module's other statics that are created on first use.
    static inline bool registry_initialised = false;
    alignas(slot_type) static inline unsigned char registry_storage[sizeof(slot_type)];
};

template <class B, class R, class... A>
auto function_hooker_manager<B, R, A...>::registry_slot() -> slot_type& {
    return *std::launder(reinterpret_cast<slot_type*>(registry_storage));
}

template <class B, class R, class... A>
void function_hooker_manager<B, R, A...>::release_registry_slot() {
    // Left empty rather than destroyed: the storage is never destroyed again.
    registry_slot().reset();
}

template <class B, class R, class... A>
auto function_hooker_manager<B, R, A...>::instance() -> slot_type {
    if (!registry_initialised) {
        // Marked only once the manager exists, so a failed allocation leaves
        // the slot to be filled by a later call.
        slot_type manager = std::make_shared<function_hooker_manager>();
        ::new (static_cast<void*>(registry_storage)) slot_type(std::move(manager));
        registry_initialised = true;
        std::atexit(&release_registry_slot);
    }
    return registry_slot();
}

template <class B, class R, class... A>
auto function_hooker_manager<B, R, A...>::find_entry(const B* owner) ->
    typename std::list<hook_entry>::iterator {
    auto entry = entries.begin();
    while (entry != entries.end() && entry->owner != owner) {
        ++entry;
    }
    return entry;
}

template <class B, class R, class... A>
void function_hooker_manager<B, R, A...>::add_entry(const B* owner, callback_type callback,
                                                    callee thunk) {
    set_entry(owner, std::move(callback));
    if (hooked) {
        return;
    }
    // The host's build is identified before its code is first changed.
    static_cast<void>(request_host_version());
    constexpr address_t site = B::site_address;
    if (!is_hookable_call(site)) {
        // Replacing anything but a plain call would break the host's code, so
        // the site stays the host's and its entries never run.
        return;
    }
    const address_t earlier = replace_call(site, reinterpret_cast<address_t>(thunk));
    if (!call_in_place()) {
        return; // no memory for the site's stub: the site stays the host's
    }
    original_callee = reinterpret_cast<callee>(earlier);
    hooked = true;
}

template <class B, class R, class... A>
void function_hooker_manager<B, R, A...>::set_entry(const B* owner, callback_type callback) {
    const auto entry = find_entry(owner);
    if (entry != entries.end()) {
        entry->callback = std::move(callback);
    } else {
        entries.push_back(hook_entry{owner, std::move(callback)});
    }
}

template <class B, class R, class... A>
void function_hooker_manager<B, R, A...>::remove_entry(const B* owner) {
    const auto entry = find_entry(owner);
    if (entry == entries.end()) {
        return;
    }
    entries.erase(entry);
    if (entries.empty()) {
        restore_bytes();
    }
}

template <class B, class R, class... A>
void function_hooker_manager<B, R, A...>::move_entry(const B* from, const B* to) {
    const auto entry = find_entry(from);
    if (entry == entries.end()) {
        return;
    }
    callback_type callback = std::move(entry->callback);
    entries.erase(entry);
    set_entry(to, std::move(callback));
}

template <class B, class R, class... A> void function_hooker_manager<B, R, A...>::restore_bytes() {
    if (!hooked) {
        return;
    }
    hooked = false;
    entries.clear();
    scoped_call::restore_bytes();
}

template <class B, class R, class... A> void function_hooker_manager<B, R, A...>::take_again() {
    if (!hooked) {
        return;
    }
    // Cleared for the write: an old backup let go on the way must not reach
    // this manager's own restore, which would drop the entries.
    hooked = false;
    if (lead_through(reinterpret_cast<address_t>(&entry_thunk))) {
        original_callee = reinterpret_cast<callee>(next_callee());
    }
    // With no stub to be had the old patch stands, to be let go at unload.
    hooked = true;
}

template <class B, class R, class... A>
R function_hooker_manager<B, R, A...>::run_original_callee() const {
    // A site is taken over only with a known callee; before that there is
    // nothing to call.
    return original_callee != nullptr ? original_callee() : R{};
}

template <class B, class R, class... A> R function_hooker_manager<B, R, A...>::entry_thunk() {
    // The registry slot keeps the manager alive while the host runs.
    function_hooker_manager* const manager = instance().get();
    if (manager->entries.empty()) {
        return manager->run_original_callee();
    }
    // Holds one pointer, so it sits inside the function wrapper: no allocation.
    const chain_next<R> call_original = [manager] { return manager->run_original_callee(); };
    if (manager->entries.size() == 1) {
        // The stored callback runs in place, uncopied.
        return manager->entries.front().callback(call_original);
    }
    // The chain is built anew from copies: the entry registered last runs
    // first, the first one just before the original callee.
    chain_next<R> chain = call_original;
    for (const hook_entry& entry : manager->entries) {
        chain = chain_link<R>{entry.callback, std::move(chain)};
    }
    return chain();
}

} // namespace injector
