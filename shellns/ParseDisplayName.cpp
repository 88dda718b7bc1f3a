// ParseDisplayNameToIdList: a typed name to an ID list, never to an item other than the one it names.
#include "shellns/ErrorModeScope.h"
#include "shellns/IdList.h"
#include "shellns/WineHost.h"
#include "toolkit/SysUtils.h"

namespace {

// The longest name the system takes at all: its strings count their bytes in 16 bits.
constexpr size_t LongestName = 32767;

const HRESULT NameTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\..." and "\\server\share\...", either separator: names the file system resolves on its own, so that they
// can be put into one spelling. Not "X:" alone or "X:dir" (relative to a current folder of the drive), and not
// the device forms "\\?\" and "\\.\", which the shell does not parse.
bool IsFileSystemPath(const std::wstring &name) {
  if (name.size() >= 3 && IsDriveLetter(name[0]) && name[1] == L':' && IsSeparator(name[2]))
    return true;
  return name.size() >= 3 && IsSeparator(name[0]) && IsSeparator(name[1]) && !IsSeparator(name[2]) && name[2] != L'?' &&
         name[2] != L'.';
}

void TrimTrailingSeparators(std::wstring &path) {
  // A drive's root keeps its own ("C:\").
  while (path.size() > 3 && IsSeparator(path.back()))
    path.pop_back();
}

// "." and ".." resolved, "/" turned into "\", runs of separators and the trailing dots and spaces the file
// system ignores dropped, no trailing separator; "" when the system cannot make sense of the name.
std::wstring NormalPath(const std::wstring &name) {
  const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0)
    return {};
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size)
    return {};
  full.resize(length);
  TrimTrailingSeparators(full);
  return full;
}

// The long form of an existing path (short 8.3 components expanded, letters as on disk); "" and the reason in
// error when there is none, as for a path that names nothing or holds wildcards.
std::wstring LongPath(const std::wstring &path, DWORD &error) {
  error = ERROR_SUCCESS;
  // Asked once with room for most paths (each asking walks the path on disk again), twice for a longer one.
  std::wstring result(MAX_PATH, L'\0');
  DWORD length = GetLongPathNameW(path.c_str(), result.data(), static_cast<DWORD>(result.size()));
  if (length >= result.size()) {
    result.assign(length, L'\0');
    length = GetLongPathNameW(path.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (length >= result.size()) {
      error = ERROR_INSUFFICIENT_BUFFER;
      return {};
    }
  }
  if (length == 0) {
    error = GetLastError();
    return {};
  }
  result.resize(length);
  TrimTrailingSeparators(result);
  return result;
}

bool SamePath(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// True when the shell's answer is the item the file-system path expected names. Shells answer some spellings
// with another item: Wine's with the item its first MAX_PATH - 1 characters name, "dir\." with "dir\dir", a
// wildcard with the first match.
bool IsItemNamed(LPCITEMIDLIST list, const std::wstring &expected) {
  const std::wstring actual = IdListToWidePath(list);
  // An item a path leads to without being a file of its own (a folder inside an archive, a server) has no
  // path to compare; no shell answers a path with such an item in place of a file.
  if (actual.empty())
    return true;
  std::wstring compared = actual;
  TrimTrailingSeparators(compared);
  // The shell's path in the expected spelling already: nothing on disk to look up.
  if (SamePath(compared, expected))
    return true;
  DWORD error;
  compared = LongPath(actual, error);
  return !compared.empty() && SamePath(compared, expected);
}

} // namespace

HRESULT ParseDisplayNameToIdList(const std::string &name, TKdIdListPtr &list) {
  list.reset();
  std::wstring wide = Utf8ToWide(name);
  if (wide.size() > LongestName)
    return NameTooLong;
  if (!wide.empty() && wide[0] == L'/') {
    // Users on Linux type Unix paths, and Wine's shell parser crashes on them: it gets Wine's Windows form. A
    // name that keeps its "/" names nothing the shell can parse, on any system.
    wide = WineDosPathOfUnixPath(name);
    if (wide.empty() || wide[0] == L'/')
      return HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
  }
  // Resolving and parsing a path may touch a drive that has no medium.
  TKdErrorModeScope errorMode;
  // Past MAX_PATH characters the shell cannot take a name safely: this program's file names end there (it does
  // not declare itself aware of longer ones), Wine's parser answers with the item the first MAX_PATH - 1
  // characters name, and it walks a name component by component until its stack runs out (at about 1,400
  // components).
  const bool fileSystemPath = IsFileSystemPath(wide);
  if (fileSystemPath) {
    wide = NormalPath(wide);
    if (wide.empty())
      return HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
  }
  if (wide.size() >= MAX_PATH)
    return NameTooLong;
  std::wstring expected;
  DWORD missing = ERROR_SUCCESS;
  if (fileSystemPath) {
    expected = LongPath(wide, missing);
    if (expected.empty())
      expected = wide;
    // Short components may hide a long path.
    if (expected.size() >= MAX_PATH)
      return NameTooLong;
  }

  ComPtr<IShellFolder> desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (FAILED(hr))
    return hr;
  ULONG eaten = 0;
  ULONG attributes = 0;
  TKdIdListPtr parsed;
  hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, PidlOut(parsed), &attributes);
  if (FAILED(hr))
    return hr;
  if (!parsed)
    return E_FAIL;
  if (fileSystemPath && !IsItemNamed(parsed.get(), expected))
    return HRESULT_FROM_WIN32(missing != ERROR_SUCCESS ? missing : ERROR_PATH_NOT_FOUND);
  list = std::move(parsed);
  return hr;
}
