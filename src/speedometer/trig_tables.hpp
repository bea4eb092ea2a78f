#pragma once
// Whole-degree sine and cosine tables. The per-frame geometry looks its
// angles up here instead of calling the maths library.
#include <array>
#include <cstdint>

inline constexpr std::uint32_t trig_table_size = 360;

// Entry k holds the sine (cosine) of k degrees. Zero until build_trig_tables
// has run; the same values on every later run.
extern std::array<float, trig_table_size> sin_table;
extern std::array<float, trig_table_size> cos_table;

void build_trig_tables();

// The table entry for an angle in degrees: the angle truncated to whole
// degrees, modulo 360. Angles that an unsigned 32-bit integer cannot hold
// still give an entry from 0 to 359: a negative or huge finite angle wraps
// the same way about 0, and NaN or an infinity gives entry 0.
std::uint32_t table_index(float degrees);
