// Where an axis's grid lines and numbers go: at round values (1, 2, 2.5 or 5
// times a power of ten) close to the number of divisions the caller asked for.
#pragma once
#include <vector>

struct GridPlacement {
    double step = 0;             // distance between lines; 0 when there are none
    std::vector<double> values;  // ascending multiples of step within the range
};

// Lines for the range lo .. hi (either order) and the asked divisions (less
// than 1 counts as 1). The step is the round value whose number of intervals,
// (hi - lo) / step, is nearest the divisions, never more than 1.5 times as
// many; of two equally near, the larger step. Lines lie at the multiples of the
// step inside the range, edges included. An empty or non-finite range has none.
GridPlacement PlaceGrid(double lo, double hi, int divisions);
