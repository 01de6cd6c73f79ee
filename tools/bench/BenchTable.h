#pragma once

#include <cstdio>

// One row of the performance table: what, the figure, and the target it is held to.
inline void benchRow(const char* what, double value, const char* unit, const char* target) {
    std::printf("| %-44s | %10.1f %-3s | %-16s |\n", what, value, unit, target);
    std::fflush(stdout);
}
