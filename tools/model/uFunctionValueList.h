#pragma once
// The samples of one function in ascending X, at most one per X. Kept in a
// sorted array: the drawing finds the samples of the view and the sampling
// asks whether an X is already known by binary search, so neither slows
// down with the number of samples kept.
#include "tools/model/uFunctionValue.h"

#include <vector>

class TFunctionValueList
{
public:
    void Clear() { m_items.clear(); }
    // Inserts the sample in order; a sample whose X is already present (or
    // is not a number) is not added, and false is returned.
    bool Add(bool defined, Extended x, Extended y);

    // The X of the first or last sample; -2147483648 and 2147483647 when
    // the list is empty.
    Extended FirstX() const { return m_items.empty() ? Extended(-2147483648.0L) : m_items.front().X; }
    Extended LastX() const { return m_items.empty() ? Extended(2147483647.0L) : m_items.back().X; }
    bool IsEmpty() const { return m_items.empty(); }
    int Count() const { return int(m_items.size()); }
    const TFunctionValue &At(int index) const { return m_items[size_t(index)]; }

    // Adds a batch of samples at once (one pass over the stored ones, where
    // one Add each would shift them again and again); samples whose X is
    // already stored, or repeated in the batch, are left out.
    void Merge(std::vector<TFunctionValue> batch);

    bool Contains(Extended x) const;
    // Index of the first sample whose X is not below X (Count when none).
    int LowerBound(Extended x) const;
    // Drops every sample outside [From, To].
    void KeepRange(Extended from, Extended to);

private:
    std::vector<TFunctionValue> m_items;
};
