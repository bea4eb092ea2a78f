#pragma once
// Hookers of host call sites. A function_hooker registers one callback at a
// site; the callbacks of all hookers at a site run as a chain that ends in the
// host's original callee. The site is taken over with the first hooker and
// given back with the last.
#include "injector/function_hooker_manager.hpp"
#include "injector/hook_chain.hpp"
#include "injector/protected_memory.hpp"
#include "injector/scoped_bytes.hpp"

#include <memory>
#include <utility>

namespace injector {

// S is the site's address and P the pointer type of the hooked function, whose
// result is R and arguments A...
template <address_t S, class P, class R, class... A>
class function_hooker_base : public scoped_base {
  public:
    static constexpr address_t site_address = S;
    using manager_type = function_hooker_manager<function_hooker_base, R, A...>;
    using callback_type = chain_callback<R>;

    function_hooker_base& operator=(const function_hooker_base&) = delete;

    ~function_hooker_base() override {
        attached = false;
        manager->remove_entry(this);
    }

    // Takes this hooker's entry out; the site is given back if it was the last.
    void restore_bytes() override {
        attached = false;
        manager->remove_entry(this);
    }

    // Registers callback for this hooker, or replaces the one it has.
    virtual void attach(callback_type callback) = 0;

    void attach(callback_type callback, P thunk) {
        attached = true;
        manager->add_entry(this, std::move(callback), thunk);
    }

    bool attached = false;
    std::shared_ptr<manager_type> manager;

  protected:
    function_hooker_base() : manager(manager_type::instance()) {}

    // The copy takes the source's entry over; the source keeps none.
    function_hooker_base(const function_hooker_base& other)
        : scoped_base(other), attached(other.attached), manager(other.manager) {
        manager->move_entry(&other, this);
    }
};

template <address_t S, class T> class function_hooker;

template <address_t S, class R, class... A>
class function_hooker<S, R(A...)> : public function_hooker_base<S, R (*)(A...), R, A...> {
    using base = function_hooker_base<S, R (*)(A...), R, A...>;

  public:
    explicit function_hooker(typename base::callback_type callback) {
        function_hooker::attach(std::move(callback));
    }

    function_hooker(const function_hooker& other) = default;

    void attach(typename base::callback_type callback) override {
        base::attach(std::move(callback), &base::manager_type::entry_thunk);
    }
};

} // namespace injector
