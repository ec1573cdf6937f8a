#pragma once
// The program's own singly linked list: items are only appended, read by
// index or iterated, and all removed at once. The iteration position lives
// in the list itself (its cursor), so two iterators over one list share one
// position and only one iteration per list runs at a time.
//
//     TList<TFunctionInGraph> Functions;
//     Functions.OwnsData = true;            // the list frees the items
//     TListIterator<TFunctionInGraph> It(&Functions);
//     while (It.HasNext()) { TFunctionInGraph *F = It.Next(); ... }
#include "platform/SysUtils.h"

#include <climits>

template <class T>
class TListItemContainer
{
public:
    explicit TListItemContainer(T *Data) : Data(Data) {}

    T *GetData() const { return Data; }
    TListItemContainer *GetNext() const { return Next; }
    void SetNext(TListItemContainer *Value) { Next = Value; }

private:
    TListItemContainer *Next = nullptr;
    T *Data;
};

template <class T>
class TListIterator;

template <class T>
class TList
{
public:
    TList() = default;
    TList(const TList &) = delete;
    TList &operator=(const TList &) = delete;
    virtual ~TList() { Clear(); }

    // Appends Data at the tail; returns its 0-based index. Raises
    // EIntOverflow when the count cannot grow.
    int Add(T *Data)
    {
        if (FCount == INT_MAX)
            throw EIntOverflow();
        auto *Node = new TListItemContainer<T>(Data);
        if (!Head) {
            Head = Node;
        } else {
            Tail->SetNext(Node);
        }
        Tail = Node;
        return FCount++;
    }

    // The item at Index, walking from the head; nullptr when Index is
    // negative or not below Count.
    T *GetItem(int Index) const
    {
        if (Index < 0 || Index >= FCount)
            return nullptr;
        TListItemContainer<T> *Node = Head;
        for (int i = 0; i < Index && Node; ++i)
            Node = Node->GetNext();
        return Node ? Node->GetData() : nullptr;
    }

    int Count() const { return FCount; }

    // Frees every node, and each item first when OwnsData. The iteration
    // position is dropped too, so a stale position can never be followed.
    void Clear()
    {
        TListItemContainer<T> *Node = Head;
        while (Node) {
            TListItemContainer<T> *Following = Node->GetNext();
            if (OwnsData)
                delete Node->GetData();
            delete Node;
            Node = Following;
        }
        Head = Tail = Cursor = nullptr;
        FCount = 0;
    }

    // When true, Clear and destruction free the items as well as the nodes.
    bool OwnsData = false;

private:
    friend class TListIterator<T>;

    TListItemContainer<T> *Head = nullptr;
    TListItemContainer<T> *Tail = nullptr;
    TListItemContainer<T> *Cursor = nullptr;
    int FCount = 0;
};

template <class T>
class TListIterator
{
public:
    // Stores the list and resets its position to the head.
    explicit TListIterator(TList<T> *List) : List(List) { Reset(); }

    void Reset() { List->Cursor = List->Head; }
    bool HasNext() const { return List->Cursor != nullptr; }
    // The item at the list's position, then moves the position on; call it
    // only after HasNext returned true (nullptr otherwise).
    T *Next()
    {
        TListItemContainer<T> *Node = List->Cursor;
        if (!Node)
            return nullptr;
        List->Cursor = Node->GetNext();
        return Node->GetData();
    }

private:
    TList<T> *List;
};
