#include "toolkit/StringList.h"

#include "toolkit/ListAlgorithms.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "toolkit/SysUtils.h"

namespace {

[[noreturn]] void ListError(const std::string &message) { throw EListError(message); }

} // namespace

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count())
    ListError(FormatStr("List index out of bounds (%d)", Index));
}

int TStringList::Add(const std::string &S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string &S, void *AObject) {
  int index = Count();
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
    case dupIgnore:
      return index;
    case dupError:
      ListError("String list does not allow duplicates");
    case dupAccept:
      break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const std::string &S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string &S, void *AObject) {
  if (FSorted)
    ListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count())
    ListError(FormatStr("List index out of bounds (%d)", Index));
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string &S, void *AObject) {
  auto item = std::make_unique<TStringItem>(TStringItem{S, AObject});
  FList.insert(FList.begin() + Index, item.get());
  item.release();
}

TStringList::~TStringList() { Clear(); }

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  delete FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
}

void TStringList::Clear() {
  for (TStringItem *item : FList)
    delete item;
  FList.clear();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

const std::string &TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)]->FString;
}

void TStringList::Put(int Index, const std::string &S) {
  if (FSorted)
    ListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)]->FString = S;
}

void *TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)]->FObject;
}

void TStringList::PutObject(int Index, void *AObject) {
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)]->FObject = AObject;
}

bool TStringList::Find(const std::string &S, int &Index) const {
  return ListBinaryFind(
      Count(), [&](int i) { return CompareStrings(FList[static_cast<size_t>(i)]->FString, S); },
      FDuplicates == dupAccept, Index);
}

int TStringList::IndexOf(const std::string &S) const {
  if (FSorted) {
    int index;
    return Find(S, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(FList[static_cast<size_t>(i)]->FString, S) == 0)
      return i;
  return -1;
}

int TStringList::IndexOfObject(void *AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (FList[static_cast<size_t>(i)]->FObject == AObject)
      return i;
  return -1;
}

void TStringList::QuickSort(int L, int R, const TStringListSortCompare &Compare) {
  ListQuickSort(
      L, R, [&](int i, int j) { return Compare(*this, i, j); },
      [&](int i, int j) { std::swap(FList[static_cast<size_t>(i)], FList[static_cast<size_t>(j)]); });
}

void TStringList::Sort() {
  CustomSort([](TStringList &list, int a, int b) {
    return list.CompareStrings(list.FList[static_cast<size_t>(a)]->FString,
                               list.FList[static_cast<size_t>(b)]->FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare &Compare) {
  if (Count() > 1)
    QuickSort(0, Count() - 1, Compare);
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value)
    return;
  if (Value)
    Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value)
    return;
  FCaseSensitive = Value;
  if (FSorted)
    Sort();
}

std::string TStringList::Text() const {
  std::string text;
  for (const auto &item : FList) {
    text += item->FString;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(const std::string &Value) {
  Clear();
  size_t start = 0;
  while (start < Value.size()) {
    size_t end = Value.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      Add(Value.substr(start));
      break;
    }
    Add(Value.substr(start, end - start));
    start = end + 1;
    if (Value[end] == '\r' && start < Value.size() && Value[start] == '\n')
      ++start;
  }
}

int TStringList::CompareStrings(const std::string &S1, const std::string &S2) const {
  // The strings are in the active code page (UTF-8 by the manifest). Converting them here, on the stack for
  // ordinary names, keeps a sort of many names from allocating twice per comparison.
  wchar_t small1[MAX_PATH], small2[MAX_PATH];
  std::wstring large1, large2;
  auto widen = [](const std::string &s, wchar_t *buffer, std::wstring &large, int &length) -> const wchar_t * {
    length = 0;
    if (s.empty())
      return buffer;
    length = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), buffer, MAX_PATH);
    if (length > 0)
      return buffer;
    large = Utf8ToWide(s);
    length = static_cast<int>(large.size());
    return large.c_str();
  };
  int length1, length2;
  const wchar_t *w1 = widen(S1, small1, large1, length1);
  const wchar_t *w2 = widen(S2, small2, large2, length2);
  int result = CompareStringW(LOCALE_USER_DEFAULT, FCaseSensitive ? 0 : NORM_IGNORECASE, w1, length1, w2, length2);
  if (result == 0)
    return S1.compare(S2) < 0 ? -1 : (S1 == S2 ? 0 : 1);
  return result - CSTR_EQUAL;
}
