#pragma once
// What ran during a host call, one letter per participant, in order.
#include <string>

inline std::string chain_trace;
