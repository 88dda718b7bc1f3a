#pragma once
// The folders of many empty files the list benchmarks read, and the floor they are measured against: the bare
// enumeration of a folder through IShellFolder with one GetAttributesOf per item.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "shellns/IdList.h"
#include "toolkit/ComPtr.h"

namespace zorbench {

inline std::wstring FileName(const std::wstring &dir, int i) {
  wchar_t name[32];
  swprintf(name, 32, L"\\file%06d.txt", i);
  return dir + name;
}

inline void CreateEmptyFile(const std::wstring &path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
}

inline int CountEntries(const std::wstring &dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  int count = 0;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      ++count;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

// The folder of count files (or subfolders, named without an extension), made unless a previous run left it
// complete.
inline void MakeFolder(const std::wstring &dir, int count, bool subfolders = false) {
  CreateDirectoryW(dir.c_str(), nullptr);
  if (CountEntries(dir) == count)
    return;
  std::printf("  making %d %s (kept for the next run)...\n", count, subfolders ? "subfolders" : "files");
  std::fflush(stdout);
  for (int i = 0; i < count; ++i) {
    std::wstring name = FileName(dir, i);
    if (!subfolders) {
      CreateEmptyFile(name);
      continue;
    }
    name.resize(name.size() - 4); // without ".txt"
    CreateDirectoryW(name.c_str(), nullptr);
  }
}

// The floor: every item of the folder enumerated and asked for its attributes once, as the list's admission
// asks, its list kept as a row keeps it. The lists are handed to keep, or freed once the time is taken.
inline double EnumerateFloor(const std::string &path, std::vector<LPITEMIDLIST> *keep) {
  std::vector<LPITEMIDLIST> own;
  std::vector<LPITEMIDLIST> &lists = keep ? *keep : own;
  const double start = (NowMs() / 1000.0);
  TKdIdListPtr list;
  ParseDisplayNameToIdList(path, list);
  ComPtr<IShellFolder> folder;
  BindToShellFolder(list.get(), folder);
  ComPtr<IEnumIDList> enumerator;
  folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, enumerator.Put());
  LPITEMIDLIST batch[256];
  for (;;) {
    ULONG fetched = 0;
    HRESULT hr = enumerator->Next(256, batch, &fetched);
    if (FAILED(hr))
      break;
    for (ULONG i = 0; i < fetched; ++i) {
      SFGAOF attributes = 0x720B0000;
      LPCITEMIDLIST item = batch[i];
      folder->GetAttributesOf(1, &item, &attributes);
      lists.push_back(batch[i]);
    }
    if (hr != S_OK || fetched == 0)
      break;
  }
  const double elapsed = (NowMs() / 1000.0) - start;
  for (LPITEMIDLIST p : own)
    ShellMemFree(p);
  return elapsed;
}

} // namespace zorbench
