#pragma once
// TList: a growable list of untyped pointers. It never owns what its items point to.
#include <functional>
#include <vector>

#include "toolkit/Component.h"

// Negative when Item1 sorts before Item2, 0 when they are equal, positive otherwise.
using TListSortCompare = std::function<int(void *Item1, void *Item2)>;

class TList : public TObject {
public:
  TList() = default;
  ~TList() override = default;
  TList(const TList &) = delete;
  TList &operator=(const TList &) = delete;

  int Add(void *Item);
  void Insert(int Index, void *Item);
  void Delete(int Index);
  // Removes the first occurrence of Item; its former index, or -1 when it was not there.
  int Remove(void *Item);
  // Removes the first occurrence of Item and returns it; nullptr when it was not there.
  void *Extract(void *Item);
  int IndexOf(void *Item) const;
  void Clear();
  void Exchange(int Index1, int Index2);
  // Takes the item at CurIndex out and inserts it again at NewIndex.
  void Move(int CurIndex, int NewIndex);
  // Drops every nullptr item.
  void Pack();
  void *First() const { return Get(0); }
  void *Last() const { return Get(Count() - 1); }

  int Count() const { return static_cast<int>(FList.size()); }
  // Growing the count appends nullptr items; shrinking it drops items from the end.
  void SetCount(int NewCount);
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  // Room for NewCapacity items, growing or shrinking it; a capacity below the count is an error.
  void SetCapacity(int NewCapacity);

  void *Get(int Index) const;
  void Put(int Index, void *Item);
  void *operator[](int Index) const { return Get(Index); }
  // Direct access to the items, valid until the list next changes size.
  void **List() { return FList.data(); }

  // Quicksort: the order of equal items is not kept.
  void Sort(const TListSortCompare &Compare);

private:
  void CheckIndex(int Index) const;
  std::vector<void *> FList;
};
