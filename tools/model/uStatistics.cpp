#include "tools/model/uStatistics.h"

#include <algorithm>
#include <cmath>

TStatisticsError ComputeStatistics(const std::vector<TWeightedValue> &values, TStatisticsResult &result, int &row)
{
    row = -1;
    if (values.empty())
        return TStatisticsError::NoValues;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].W < 0) {
            row = int(i);
            return TStatisticsError::NegativeWeight;
        }

    TStatisticsResult r;
    r.Count = int(values.size());
    Extended sw = 0, sxw = 0;
    for (const TWeightedValue &v : values) {
        r.Sum += v.X;
        r.Product *= v.X;
        sw += v.W;
        sxw += Extended(v.X) * v.W;
    }
    if (sw == 0)
        return TStatisticsError::ZeroTotalWeight;
    r.ProductInRange = std::isfinite(r.Product);
    r.Mean = r.Sum / r.Count;
    r.ExpectedValue = sxw / sw;

    // Second pass around the mean; the sum of the weighted deviations
    // (zero but for the mean's rounding) corrects that rounding.
    Extended squares = 0, deviations = 0;
    for (const TWeightedValue &v : values) {
        const Extended d = v.X - r.ExpectedValue;
        squares += v.W * d * d;
        deviations += v.W * d;
    }
    r.Dispersion = std::max(Extended(0), (squares - deviations * deviations / sw) / sw);
    r.Deviation = std::sqrt(r.Dispersion);

    std::vector<double> sorted;
    sorted.reserve(values.size());
    for (const TWeightedValue &v : values)
        sorted.push_back(v.X);
    std::sort(sorted.begin(), sorted.end());
    const size_t half = sorted.size() / 2;
    r.Median = sorted.size() % 2 ? Extended(sorted[half]) : (Extended(sorted[half - 1]) + sorted[half]) / 2;

    result = r;
    return TStatisticsError::None;
}
