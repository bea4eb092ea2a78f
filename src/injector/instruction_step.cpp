#include "injector/instruction_step.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace injector {

std::uint32_t readable_bytes(address_t address, std::uint32_t want) {
    constexpr DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    std::uint32_t got = 0;
    while (got < want) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<const void*>(address + got), &region, sizeof region) ==
                0 ||
            region.State != MEM_COMMIT || (region.Protect & readable) == 0 ||
            (region.Protect & PAGE_GUARD) != 0) {
            break;
        }
        const std::uint64_t end = reinterpret_cast<address_t>(region.BaseAddress) +
                                  static_cast<std::uint64_t>(region.RegionSize);
        got = static_cast<std::uint32_t>(std::min<std::uint64_t>(want, end - address));
    }
    return got;
}

namespace {

constexpr std::uint32_t no_length = 0;

// The length of a ModRM operand (the byte, a SIB byte, a displacement).
std::uint32_t operand_length(const std::uint8_t* code, std::uint32_t available) {
    if (available == 0) {
        return no_length;
    }
    const std::uint8_t mod = code[0] >> 6;
    const std::uint8_t rm = code[0] & 7;
    std::uint32_t length = 1;
    if (mod != 3 && rm == 4) {
        if (available < 2) {
            return no_length;
        }
        ++length;
        if (mod == 0 && (code[1] & 7) == 5) {
            length += 4;
        }
    } else if (mod == 0 && rm == 5) {
        length += 4;
    }
    length += mod == 1 ? 1 : mod == 2 ? 4 : 0;
    return length <= available ? length : no_length;
}

bool is_prefix(std::uint8_t byte) {
    constexpr std::uint8_t prefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64,
                                         0x65, 0x66, 0xF0, 0xF2, 0xF3};
    return std::find(std::begin(prefixes), std::end(prefixes), byte) != std::end(prefixes);
}

bool in(std::uint8_t opcode, std::uint8_t first, std::uint8_t last) {
    return opcode >= first && opcode <= last;
}

std::uint32_t load_u32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The length of an instruction that neither branches nor stops, counted from
// its opcode at code[at - 1], or no_length for one the walk does not follow.
std::uint32_t plain_length(const std::uint8_t* code, std::uint32_t at, std::uint32_t available,
                           std::uint32_t immediate) {
    const std::uint8_t opcode = code[at - 1];
    const auto with_operand = [&](std::uint32_t extra) {
        const std::uint32_t operand = operand_length(code + at, available - at);
        return operand == no_length ? no_length : at + operand + extra;
    };
    if (opcode == 0x0F) {
        return no_length; // a two-byte opcode cut short
    }
    if (opcode < 0x40) { // arithmetic on an operand, or on the accumulator with an immediate
        const std::uint8_t form = opcode & 7;
        return form < 4 ? with_operand(0) : form == 4 ? at + 1 : form == 5 ? at + immediate : at;
    }
    if (opcode < 0x62 || in(opcode, 0x90, 0x99) || opcode == 0x9C || opcode == 0x9D ||
        in(opcode, 0xF8, 0xFD)) {
        return at; // one byte: registers pushed, popped, counted; flags; nop
    }
    if (opcode == 0x6A || opcode == 0xA8 || in(opcode, 0xB0, 0xB7)) {
        return at + 1; // an 8-bit immediate
    }
    if (opcode == 0x68 || opcode == 0xA9 || in(opcode, 0xB8, 0xBF)) {
        return at + immediate;
    }
    if (in(opcode, 0xA0, 0xA3)) {
        return at + 4; // a moffs32 address
    }
    if (opcode == 0x69 || opcode == 0x81 || opcode == 0xC7) {
        return with_operand(immediate);
    }
    if (opcode == 0x6B || in(opcode, 0x80, 0x83) || opcode == 0xC0 || opcode == 0xC1 ||
        opcode == 0xC6) {
        return with_operand(1);
    }
    if (in(opcode, 0x84, 0x8F) || in(opcode, 0xD0, 0xD3)) {
        return with_operand(0);
    }
    if (opcode == 0xF6 || opcode == 0xF7) { // test takes an immediate, the rest of the group none
        if (at >= available) {
            return no_length;
        }
        const bool test = ((code[at] >> 3) & 7) < 2;
        return with_operand(test ? (opcode == 0xF6 ? 1 : immediate) : 0);
    }
    return no_length;
}

} // namespace

instruction_step decode_instruction(address_t address, const std::uint8_t* code,
                                    std::uint32_t available) {
    using kind = instruction_step::kind;
    std::uint32_t at = 0;
    std::uint32_t immediate = 4;
    while (at < available && at < 4 && is_prefix(code[at])) {
        immediate = code[at] == 0x66 ? 2 : immediate;
        ++at;
    }
    if (at >= available) {
        return {};
    }
    const std::uint8_t opcode = code[at++];
    const std::uint32_t after_rel32 = at + 4;
    if ((opcode == 0xE8 || opcode == 0xE9) && after_rel32 <= available) {
        return {opcode == 0xE8 ? kind::call : kind::jump, after_rel32,
                address + after_rel32 + load_u32(code + at)};
    }
    if (opcode == 0xEB && at < available) {
        const auto displacement = static_cast<std::int8_t>(code[at]);
        return {kind::jump, at + 1, address + at + 1 + static_cast<std::uint32_t>(displacement)};
    }
    if (opcode == 0x68 && immediate == 4 && after_rel32 < available && code[after_rel32] == 0xC3) {
        return {kind::jump, after_rel32 + 1, load_u32(code + at)}; // push and return: a far jump
    }
    if (in(opcode, 0xB8, 0xBF) && immediate == 4 && after_rel32 <= available) {
        // An address put in a register, which a jump through it may use.
        return {kind::load_register, after_rel32, load_u32(code + at),
                static_cast<std::uint8_t>(opcode - 0xB8)};
    }
    if (opcode == 0xFF && at < available) {
        const std::uint8_t form = code[at];
        const std::uint8_t group = (form >> 3) & 7;
        if (form == 0x15 || form == 0x25) { // call or jump through a pointer
            if (after_rel32 + 1 > available) {
                return {};
            }
            const address_t pointer = load_u32(code + at + 1);
            if (readable_bytes(pointer, 4) != 4) {
                return {};
            }
            return {form == 0x15 ? kind::call : kind::jump, after_rel32 + 1,
                    *reinterpret_cast<const address_t*>(pointer)};
        }
        if ((form >> 6) == 3 && (group == 2 || group == 4)) { // call or jump through a register
            return {group == 2 ? kind::call_register : kind::jump_register, at + 1, 0,
                    static_cast<std::uint8_t>(form & 7)};
        }
        if (group == 0 || group == 1 || group == 6) { // inc, dec, push
            const std::uint32_t operand = operand_length(code + at, available - at);
            return operand == no_length ? instruction_step{}
                                        : instruction_step{kind::next, at + operand};
        }
        return {};
    }
    if (opcode == 0x0F && at < available) {
        const std::uint8_t second = code[at++];
        // nop with an operand, conditional moves and sets, widening moves
        const bool with_operand = second == 0x1F || in(second, 0x40, 0x4F) ||
                                  in(second, 0x90, 0x9F) || second == 0xB6 || second == 0xB7 ||
                                  second == 0xBE || second == 0xBF;
        const std::uint32_t operand =
            with_operand ? operand_length(code + at, available - at) : no_length;
        return operand == no_length ? instruction_step{}
                                    : instruction_step{kind::next, at + operand};
    }
    const std::uint32_t length = plain_length(code, at, available, immediate);
    if (length == no_length || length > available) {
        return {};
    }
    return {kind::next, length};
}

} // namespace injector
