#include "LatencySummary.h"

#include <algorithm>
#include <cmath>

TLatencySummary Summarise(std::vector<double> latenciesMs) {
    TLatencySummary summary;
    summary.Count = latenciesMs.size();
    if (latenciesMs.empty())
        return summary;
    std::sort(latenciesMs.begin(), latenciesMs.end());
    auto rank = [&](double fraction) {
        auto index = static_cast<std::size_t>(std::ceil(fraction * latenciesMs.size()));
        return latenciesMs[std::clamp<std::size_t>(index, 1, latenciesMs.size()) - 1];
    };
    summary.MedianMs = rank(0.5);
    summary.P95Ms = rank(0.95);
    summary.MaxMs = latenciesMs.back();
    return summary;
}
