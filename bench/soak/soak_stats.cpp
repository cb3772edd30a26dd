#include "soak_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace besedka::soak {

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

Fit fitOne(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = y.size();
    if (n < 2) {
        return {};
    }
    double mx = 0;
    double my = 0;
    for (std::size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sxy = 0;
    double sxx = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
    }
    if (sxx == 0) {
        return {};
    }
    Fit fit{my - sxy / sxx * mx, sxy / sxx, 0};
    double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double residual = y[i] - (fit.intercept + fit.slope * x[i]);
        squares += residual * residual;
    }
    fit.rmsResidual = std::sqrt(squares / static_cast<double>(n));
    return fit;
}

} // namespace besedka::soak
