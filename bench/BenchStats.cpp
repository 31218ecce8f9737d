#include "bench/BenchStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    // Nearest rank: the smallest value with at least p% of the samples at or
    // below it, so p99 of 1000 samples is the tenth largest, never a blend.
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const std::size_t index =
        std::clamp<std::size_t>(static_cast<std::size_t>(rank), 1, values.size()) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

double Mean(const std::vector<double>& values) {
    if (values.empty()) {
        return 0;
    }
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

Summary Summarise(const std::vector<double>& values) {
    Summary s;
    s.count = values.size();
    if (values.empty()) {
        return s;
    }
    s.p50 = Percentile(values, 50);
    s.p99 = Percentile(values, 99);
    s.mean = Mean(values);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    s.min = *lo;
    s.max = *hi;
    return s;
}
