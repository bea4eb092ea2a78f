#pragma once
// The best and the median of several timed rounds: the best is the cost with
// the least interference from other work on the machine, the median shows how
// far that is from a typical round.
#include <algorithm>
#include <vector>

struct round_figures {
    double best;
    double median;
};

inline round_figures figures_of(std::vector<double> rounds) {
    std::sort(rounds.begin(), rounds.end());
    return {rounds.front(), rounds[rounds.size() / 2]};
}
