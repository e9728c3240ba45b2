#pragma once
// Count, median, 95th percentile and maximum of a set of durations.
#include <cstddef>
#include <vector>

struct TLatencySummary {
    std::size_t Count = 0;
    double MedianMs = 0;
    double P95Ms = 0;
    double MaxMs = 0;
};

// Nearest-rank percentiles; all zero for an empty set.
TLatencySummary Summarise(std::vector<double> latenciesMs);
