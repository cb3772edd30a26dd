#pragma once

#include <vector>

namespace besedka::soak {

// The value below which `share` (0..1) of the values lie, nearest rank; 0 for
// no values.
double percentile(std::vector<double> values, double share);
double maximum(const std::vector<double>& values);

// y = intercept + slope*x by least squares; all zero when the points do not
// determine it.
struct Fit {
    double intercept = 0;
    double slope = 0;
    double rmsResidual = 0;
};
Fit fitOne(const std::vector<double>& x, const std::vector<double>& y);

} // namespace besedka::soak
