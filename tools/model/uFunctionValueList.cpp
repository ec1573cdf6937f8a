#include "tools/model/uFunctionValueList.h"

#include <algorithm>
#include <cmath>

namespace {

bool XBelow(const TFunctionValue &V, Extended X)
{
    return V.X < X;
}

} // namespace

bool TFunctionValueList::Add(bool Defined, Extended X, Extended Y)
{
    if (std::isnan(X))
        return false;
    const TFunctionValue value{X, Y, Defined};
    // Samples mostly arrive at either end (a pan exposes one side).
    if (Items.empty() || X > Items.back().X) {
        Items.push_back(value);
        return true;
    }
    const auto at = std::lower_bound(Items.begin(), Items.end(), X, XBelow);
    if (at != Items.end() && at->X == X)
        return false;
    Items.insert(at, value);
    return true;
}

bool TFunctionValueList::Contains(Extended X) const
{
    const auto at = std::lower_bound(Items.begin(), Items.end(), X, XBelow);
    return at != Items.end() && at->X == X;
}

int TFunctionValueList::LowerBound(Extended X) const
{
    return int(std::lower_bound(Items.begin(), Items.end(), X, XBelow) - Items.begin());
}

void TFunctionValueList::KeepRange(Extended From, Extended To)
{
    const auto last = std::upper_bound(Items.begin(), Items.end(), To,
                                       [](Extended X, const TFunctionValue &V) { return X < V.X; });
    Items.erase(last, Items.end());
    Items.erase(Items.begin(), std::lower_bound(Items.begin(), Items.end(), From, XBelow));
}
