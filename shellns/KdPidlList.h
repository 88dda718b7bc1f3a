#pragma once
// A list of (ID list, pointer) pairs, optionally kept in the order of a folder's CompareIDs or of raw bytes,
// with the binary search and duplicates policy of the toolkit's sorted string list. The list owns every ID
// list it holds: they come in as TKdIdListPtr and go with their entry, or leave through Extract.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "shellns/IdList.h"

// What adding an ID list equal to an existing one does to a sorted list.
enum class TKdDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

struct TKdPidlRec {
  TKdIdListPtr Pidl;
  void *Data;
};

class TKdPidlList {
public:
  TKdPidlList() = default;
  virtual ~TKdPidlList();
  TKdPidlList(const TKdPidlList &) = delete;
  TKdPidlList &operator=(const TKdPidlList &) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  int Capacity() const { return static_cast<int>(FItems.capacity()); }
  // Raises EListError below Count.
  void SetCapacity(int value);

  // Lent: valid while the entry is in the list.
  LPCITEMIDLIST Pidls(int index) const;
  void *Objects(int index) const;

  // Takes p and returns its index; on a sorted list an equal entry is handled by Duplicates (ignore: its
  // index is returned and p is freed; error: raises "TKdPidlList: Duplicate PIDL", p freed too).
  virtual int Add(TKdIdListPtr p);
  virtual int AddObject(TKdIdListPtr p, void *data);
  // Inserts at index without any check.
  void InsertEntry(int index, TKdIdListPtr p, void *data);
  // Binary search, meaningful only while Sorted: true when an equal entry exists; index is that entry's
  // (duplicates ignored or refused) or the insertion point (duplicates accepted, or not found).
  bool Find(LPCITEMIDLIST p, int &index) const;
  // Index of an equal entry (the first one on an unsorted list), or -1.
  int IndexOf(LPCITEMIDLIST p) const;
  // Removes the entry and frees its list.
  void Delete(int index);
  // Removes the entry and hands its list to the caller.
  TKdIdListPtr Extract(int index);
  void Clear();

  bool Sorted() const { return FSorted; }
  // Turning it on sorts the list.
  void SetSorted(bool value);
  // Quicksort: equal entries may change order.
  void Sort();

  // Compare with this folder's CompareIDs (column 0) when set, by raw bytes otherwise. Not reference-counted.
  IShellFolder *Folder = nullptr;
  TKdDuplicates Duplicates = TKdDuplicates::dupError;

private:
  std::vector<TKdPidlRec> FItems;
  bool FSorted = false;
};

// The comparison TKdPidlList uses: CompareIDs of folder (the low 16 bits of its HRESULT, signed), or with no
// folder the raw bytes, a list sorting before every longer list that starts with the same bytes.
int ComparePidls(IShellFolder *folder, LPCITEMIDLIST p, LPCITEMIDLIST q);
