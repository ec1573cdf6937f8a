#pragma once
// Descriptive statistics of weighted values: count, sum, product, the plain
// mean, the weighted mean (expected value), the dispersion (weighted,
// divided by the total weight) with its standard deviation, and the median
// of the values (weights play no part in it).
//
// The dispersion is taken in two passes around the weighted mean, with the
// rounding of the mean corrected, and never falls below 0: six copies of one
// large value give 0, not a negative number whose root would be NaN.
#include "platform/SysUtils.h"

#include <vector>

struct TWeightedValue
{
    double X = 0;
    double W = 1;
};

enum class TStatisticsError {
    None,
    NoValues,        // an empty table
    NegativeWeight,  // Row holds the first negative weight
    ZeroTotalWeight, // the weights add up to 0
};

struct TStatisticsResult
{
    int Count = 0;
    Extended Sum = 0;
    Extended Product = 1;
    bool ProductInRange = true; // false: the product overflows the 80-bit range
    Extended Mean = 0;
    Extended ExpectedValue = 0;
    Extended Dispersion = 0;
    Extended Deviation = 0;
    Extended Median = 0;
};

// Fills Result for Values (sums and products in 80-bit floating point);
// on an error Result is unchanged and Row names the offending row (0-based)
// where there is one, -1 otherwise.
TStatisticsError ComputeStatistics(const std::vector<TWeightedValue> &values, TStatisticsResult &result, int &row);
