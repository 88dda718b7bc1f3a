// The shell list's file filter: the names that pass are collected from the file system's own wildcard
// search, so a pattern matches exactly what the file system matches.
#include "shellctrls/list/KdCustomShellList.h"

#include "shellns/ErrorModeScope.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"

namespace {

// The collected names are compared as bytes: they are all upper-cased alike, and a locale's order would treat
// names that differ only in ignorable characters (hyphens, apostrophes) as neighbours or equals.
class TFilterNameList : public TStringList {
protected:
  int CompareStrings(const std::string &S1, const std::string &S2) const override { return S1.compare(S2); }
};

} // namespace

void TKdCustomShellList::SetFileFilter(const std::string &value) {
  if (value == FFileFilter) {
    if (value.empty())
      FFilterPatterns.reset();
    return;
  }
  FFileFilter = value;
  ParseFilterPatterns();
  if (FOptions.Contains(kdsloAutoFill))
    FillList();
}

void TKdCustomShellList::ParseFilterPatterns() {
  if (!FFilterPatterns)
    FFilterPatterns = std::make_unique<TStringList>();
  FFilterPatterns->Clear();
  // UTF-8 never has ";" inside a character, so the text splits at every one.
  size_t start = 0;
  while (start <= FFileFilter.size()) {
    size_t end = FFileFilter.find(';', start);
    if (end == std::string::npos)
      end = FFileFilter.size();
    if (end > start)
      FFilterPatterns->Add(FFileFilter.substr(start, end - start));
    start = end + 1;
  }
}

void TKdCustomShellList::PrepareFilter() {
  ReleaseFilter();
  if (FFileFilter.empty() || FFileFilter == "*" || FFileFilter == "*.*" || !FFilterPatterns)
    return;
  std::string path = FFolder.GetPath();
  if (path.empty())
    return;
  path = AppendDelimiter(path, '\\');
  FFilterNames = std::make_unique<TFilterNameList>();
  FFilterNames->SetDuplicates(dupIgnore);
  for (int i = 0; i < FFilterPatterns->Count(); ++i)
    if (!CollectFilterNames(path + FFilterPatterns->Strings(i)))
      break;
  // Sorted once at the end: inserting each name at its place would move the list once per name.
  FFilterNames->SetSorted(true);
}

bool TKdCustomShellList::CollectFilterNames(const std::string &pattern) {
  TKdErrorModeScope errorMode;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Utf8ToWide(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    data.cFileName[MAX_PATH - 1] = L'\0';
    const DWORD length = static_cast<DWORD>(lstrlenW(data.cFileName));
    CharUpperBuffW(data.cFileName, length);
    FFilterNames->Add(WideToUtf8(data.cFileName, static_cast<int>(length)));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

void TKdCustomShellList::ReleaseFilter() { FFilterNames.reset(); }

bool TKdCustomShellList::MatchesFilter(const std::string &name, SFGAOF attributes) {
  if ((attributes & SFGAO_FOLDER) || !FFilterNames)
    return true;
  int index = 0;
  return FFilterNames->Find(AnsiUpperCase(name), index);
}
