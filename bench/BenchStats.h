#pragma once

#include <cstddef>
#include <vector>

struct Summary {
    std::size_t count = 0;
    double p50 = 0;
    double p99 = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
};

// Nearest-rank percentile (p in 0..100) of the values; 0 for none.
double Percentile(std::vector<double> values, double p);
double Mean(const std::vector<double>& values);
Summary Summarise(const std::vector<double>& values);
