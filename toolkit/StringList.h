#pragma once
// TStringList: a list of strings, each with an untyped object slot, optionally kept sorted.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Component.h"

// What adding a string equal to one already in a sorted list does: keep the old one and return its index,
// add it anyway, or raise EListError.
enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList &List, int Index1, int Index2)>;

class TStringList : public TObject {
public:
  TStringList() = default;
  ~TStringList() override;
  TStringList(const TStringList &) = delete;
  TStringList &operator=(const TStringList &) = delete;

  // In a sorted list the string goes to its place (or is ignored or refused as Duplicates says); otherwise at
  // the end. Returns the index of the string in the list.
  int Add(const std::string &S);
  int AddObject(const std::string &S, void *AObject);
  // Not allowed on a sorted list.
  void Insert(int Index, const std::string &S);
  void InsertObject(int Index, const std::string &S, void *AObject);
  void Delete(int Index);
  void Clear();
  void Exchange(int Index1, int Index2);

  int Count() const { return static_cast<int>(FList.size()); }
  const std::string &Strings(int Index) const;
  const std::string &operator[](int Index) const { return Strings(Index); }
  // Not allowed on a sorted list.
  void Put(int Index, const std::string &S);
  void *Objects(int Index) const;
  void PutObject(int Index, void *AObject);

  // Binary search of a sorted list. True when an equal string was met; Index is then that string's index
  // (with dupAccept: the insertion point the search ended on). When none was met, Index is the insertion point.
  bool Find(const std::string &S, int &Index) const;
  // Index of the first string equal to S (in a sorted list, the one Find meets), or -1.
  int IndexOf(const std::string &S) const;
  int IndexOfObject(void *AObject) const;

  // Quicksort by CompareStrings: the order of equal strings is not kept.
  void Sort();
  void CustomSort(const TStringListSortCompare &Compare);

  bool Sorted() const { return FSorted; }
  // Switching it on sorts the list.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  // Switching it while sorted re-sorts the list.
  void SetCaseSensitive(bool Value);

  // The strings joined by CR LF, each line ended; setting it splits at CR LF, LF or CR and replaces the list.
  std::string Text() const;
  void SetText(const std::string &Value);

protected:
  // The order of the list: the user locale's, ignoring case unless CaseSensitive.
  virtual int CompareStrings(const std::string &S1, const std::string &S2) const;

private:
  struct TStringItem {
    std::string FString;
    void *FObject;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::string &S, void *AObject);
  void QuickSort(int L, int R, const TStringListSortCompare &Compare);

  // Owned items held by plain pointer: inserting into a long sorted list is then one block move of pointers.
  std::vector<TStringItem *> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};
