#include "toolkit/List.h"

#include "toolkit/ListAlgorithms.h"

#include <algorithm>

#include "toolkit/SysUtils.h"

namespace {

[[noreturn]] void ListError(const char *format, int value) { throw EListError(FormatStr(format, value)); }

} // namespace

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count())
    ListError("List index out of bounds (%d)", Index);
}

int TList::Add(void *Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void *Item) {
  if (Index < 0 || Index > Count())
    ListError("List index out of bounds (%d)", Index);
  FList.insert(FList.begin() + Index, Item);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  FList.erase(FList.begin() + Index);
}

int TList::Remove(void *Item) {
  int index = IndexOf(Item);
  if (index >= 0)
    Delete(index);
  return index;
}

void *TList::Extract(void *Item) {
  int index = IndexOf(Item);
  if (index < 0)
    return nullptr;
  Delete(index);
  return Item;
}

int TList::IndexOf(void *Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex)
    return;
  CheckIndex(NewIndex);
  void *item = Get(CurIndex);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::SetCount(int NewCount) {
  if (NewCount < 0)
    ListError("List count out of bounds (%d)", NewCount);
  FList.resize(static_cast<size_t>(NewCount), nullptr);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count())
    ListError("List capacity out of bounds (%d)", NewCapacity);
  if (NewCapacity >= Capacity()) {
    FList.reserve(static_cast<size_t>(NewCapacity));
    return;
  }
  // A vector never gives memory back on reserve: move the items into one of the asked size.
  std::vector<void *> smaller;
  smaller.reserve(static_cast<size_t>(NewCapacity));
  smaller.assign(FList.begin(), FList.end());
  FList.swap(smaller);
}

void *TList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void *Item) {
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)] = Item;
}

void TList::Sort(const TListSortCompare &Compare) {
  if (Count() > 1)
    ListQuickSort(
        0, Count() - 1,
        [&](int i, int j) { return Compare(FList[static_cast<size_t>(i)], FList[static_cast<size_t>(j)]); },
        [&](int i, int j) { std::swap(FList[static_cast<size_t>(i)], FList[static_cast<size_t>(j)]); });
}
