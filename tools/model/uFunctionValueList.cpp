#include "tools/model/uFunctionValueList.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

bool XBelow(const TFunctionValue &v, Extended x)
{
    return v.X < x;
}

} // namespace

bool TFunctionValueList::Add(bool defined, Extended x, Extended y)
{
    if (std::isnan(x))
        return false;
    const TFunctionValue value{x, y, defined};
    // Samples mostly arrive at either end (a pan exposes one side).
    if (m_items.empty() || x > m_items.back().X) {
        m_items.push_back(value);
        return true;
    }
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), x, XBelow);
    if (at != m_items.end() && at->X == x)
        return false;
    m_items.insert(at, value);
    return true;
}

void TFunctionValueList::Merge(std::vector<TFunctionValue> batch)
{
    std::erase_if(batch, [](const TFunctionValue &v) { return std::isnan(v.X); });
    if (batch.empty())
        return;
    const auto byX = [](const TFunctionValue &a, const TFunctionValue &b) { return a.X < b.X; };
    std::stable_sort(batch.begin(), batch.end(), byX);
    if (m_items.empty() || batch.front().X > m_items.back().X) {
        m_items.reserve(m_items.size() + batch.size());
        for (const TFunctionValue &v : batch)
            if (m_items.empty() || v.X > m_items.back().X)
                m_items.push_back(v);
        return;
    }
    std::vector<TFunctionValue> merged;
    merged.reserve(m_items.size() + batch.size());
    // Stored samples first on equal X, so that a stored sample is kept.
    std::merge(m_items.begin(), m_items.end(), batch.begin(), batch.end(), std::back_inserter(merged), byX);
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [](const TFunctionValue &a, const TFunctionValue &b) { return a.X == b.X; }),
                 merged.end());
    m_items = std::move(merged);
}

bool TFunctionValueList::Contains(Extended x) const
{
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), x, XBelow);
    return at != m_items.end() && at->X == x;
}

int TFunctionValueList::LowerBound(Extended x) const
{
    return int(std::lower_bound(m_items.begin(), m_items.end(), x, XBelow) - m_items.begin());
}

void TFunctionValueList::KeepRange(Extended from, Extended to)
{
    const auto last = std::upper_bound(m_items.begin(), m_items.end(), to,
                                       [](Extended x, const TFunctionValue &v) { return x < v.X; });
    m_items.erase(last, m_items.end());
    m_items.erase(m_items.begin(), std::lower_bound(m_items.begin(), m_items.end(), from, XBelow));
}
