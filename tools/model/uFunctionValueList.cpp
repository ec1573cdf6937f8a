#include "tools/model/uFunctionValueList.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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

void TFunctionValueList::Merge(std::vector<TFunctionValue> Batch)
{
    std::erase_if(Batch, [](const TFunctionValue &V) { return std::isnan(V.X); });
    if (Batch.empty())
        return;
    const auto byX = [](const TFunctionValue &A, const TFunctionValue &B) { return A.X < B.X; };
    std::stable_sort(Batch.begin(), Batch.end(), byX);
    if (Items.empty() || Batch.front().X > Items.back().X) {
        Items.reserve(Items.size() + Batch.size());
        for (const TFunctionValue &v : Batch)
            if (Items.empty() || v.X > Items.back().X)
                Items.push_back(v);
        return;
    }
    std::vector<TFunctionValue> merged;
    merged.reserve(Items.size() + Batch.size());
    // Stored samples first on equal X, so that a stored sample is kept.
    std::merge(Items.begin(), Items.end(), Batch.begin(), Batch.end(), std::back_inserter(merged), byX);
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [](const TFunctionValue &A, const TFunctionValue &B) { return A.X == B.X; }),
                 merged.end());
    Items = std::move(merged);
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
    const auto last =
        std::upper_bound(Items.begin(), Items.end(), To, [](Extended X, const TFunctionValue &V) { return X < V.X; });
    Items.erase(last, Items.end());
    Items.erase(Items.begin(), std::lower_bound(Items.begin(), Items.end(), From, XBelow));
}
