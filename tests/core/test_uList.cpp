#include "core/uList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// Counts its own destructions, to see who frees the items.
struct Item
{
    explicit Item(int value, int *freed = nullptr) : Value(value), Freed(freed) {}
    ~Item()
    {
        if (Freed)
            ++*Freed;
    }
    int Value;
    int *Freed;
};

std::vector<int> Walk(TList<Item> &list)
{
    std::vector<int> seen;
    TListIterator<Item> it(&list);
    while (it.HasNext())
        seen.push_back(it.Next()->Value);
    return seen;
}
} // namespace

TEST(List, AddReturnsIndexAndGetItemWalksFromHead)
{
    TList<Item> list;
    list.OwnsData = true;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetItem(0), nullptr);
    EXPECT_EQ(list.Add(new Item(10)), 0);
    EXPECT_EQ(list.Add(new Item(11)), 1);
    EXPECT_EQ(list.Add(new Item(12)), 2);
    EXPECT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list.GetItem(i)->Value, 10 + i);
    EXPECT_EQ(list.GetItem(3), nullptr);
    EXPECT_EQ(list.GetItem(-1), nullptr);
    EXPECT_EQ(Walk(list), (std::vector<int>{10, 11, 12}));
}

TEST(List, OwnsDataDecidesWhoFreesTheItems)
{
    int freed = 0;
    Item kept(1, &freed);
    {
        TList<Item> list; // not owning: the items are someone else's
        list.Add(&kept);
        list.Clear();
        EXPECT_EQ(freed, 0);
        list.Add(&kept);
    }
    EXPECT_EQ(freed, 0);
    {
        TList<Item> list;
        list.OwnsData = true;
        list.Add(new Item(2, &freed));
        list.Add(new Item(3, &freed));
        list.Clear();
        EXPECT_EQ(freed, 2);
        EXPECT_EQ(list.Count(), 0);
        list.Add(new Item(4, &freed));
    }
    EXPECT_EQ(freed, 3);
}

TEST(List, IterationAfterClearVisitsOnlyTheNewItems)
{
    TList<Item> list;
    list.OwnsData = true;
    list.Add(new Item(1));
    list.Add(new Item(2));
    TListIterator<Item> it(&list);
    it.Next(); // leave the position in the middle
    list.Clear();
    EXPECT_FALSE(it.HasNext()); // no stale position survives
    EXPECT_EQ(list.Add(new Item(7)), 0);
    list.Add(new Item(8));
    it.Reset();
    std::vector<int> seen;
    while (it.HasNext())
        seen.push_back(it.Next()->Value);
    EXPECT_EQ(seen, (std::vector<int>{7, 8}));
    EXPECT_EQ(Walk(list), (std::vector<int>{7, 8}));
}

TEST(List, TwoIteratorsShareOnePosition)
{
    TList<Item> list;
    list.OwnsData = true;
    for (int i = 0; i < 4; ++i)
        list.Add(new Item(i));
    TListIterator<Item> a(&list);
    TListIterator<Item> b(&list); // resets the shared position too
    EXPECT_EQ(a.Next()->Value, 0);
    EXPECT_EQ(b.Next()->Value, 1);
    EXPECT_EQ(a.Next()->Value, 2);
    EXPECT_EQ(b.Next()->Value, 3);
    EXPECT_FALSE(a.HasNext());
    EXPECT_FALSE(b.HasNext());
    EXPECT_EQ(a.Next(), nullptr);
}
