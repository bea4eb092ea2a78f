#include "scratch_sites.hpp"

#include "chain_trace.hpp"
#include "simhost/sim_host.hpp"

#include <cstring>

namespace scratch {

namespace {

constexpr std::uint8_t relative_call = 0xE8;
constexpr std::uint8_t breakpoint = 0xCC;

const bytes prologue = {0x55, 0x89, 0xE5, 0x83, 0xE4, 0xF0, 0x83, 0xEC, 0x04};
const bytes epilogue = {0x89, 0xEC, 0x5D, 0xC3};

void* callee_body(callee_log& log) {
    ++log.calls;
    chain_trace += 'o';
    return reinterpret_cast<void*>(log.result);
}

} // namespace

bytes call_bytes(address_t site, address_t target) {
    const std::uint32_t displacement = target - (site + 5);
    bytes call = {relative_call, 0, 0, 0, 0};
    std::memcpy(&call[1], &displacement, sizeof displacement);
    return call;
}

void write_function(int n, address_t callee) {
    sim::install();
    bytes code = prologue;
    const bytes call = call_bytes(call_at(n), callee);
    code.insert(code.end(), call.begin(), call.end());
    code.insert(code.end(), epilogue.begin(), epilogue.end());
    injector::write_bytes(function_at(n), code.data(), code.size(), true);
}

void write_site(int n, const bytes& instruction) {
    bytes site(instruction.size() < 5 ? 5 : instruction.size(), breakpoint);
    std::memcpy(site.data(), instruction.data(), instruction.size());
    injector::write_bytes(call_at(n), site.data(), site.size(), true);
}

address_t final_destination(address_t site) {
    const address_t destination = injector::branch_destination(site);
    // A relative call to a stub that jumps on.
    const bool stub = read(site, 1)[0] == relative_call && read(destination, 1)[0] == 0xE9;
    return stub ? injector::branch_destination(destination) : destination;
}

std::uint32_t run(int n) {
    return reinterpret_cast<std::uint32_t (*)()>(function_at(n))();
}

bytes read(address_t address, std::uint32_t size) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(address);
    return {first, first + size};
}

void* first_callee() {
    return callee_body(first_log);
}
void* second_callee() {
    return callee_body(second_log);
}

} // namespace scratch
