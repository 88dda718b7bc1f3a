#include "shellctrls/list/DetailTexts.h"

#include <shlwapi.h>

#include <iterator>

#include "shellctrls/KdResString.h"
#include "shellctrls/UKdShConsts.h"
#include "shellns/ErrorModeScope.h"
#include "shellns/IdList.h"
#include "toolkit/SysUtils.h"

namespace {

// Digits grouped by three with the user's thousands separator, as a "%.0n" number format gives them.
std::string GroupThousands(uint64_t value) {
  // The fallback only when the locale cannot be read: a user who chose no separator gets none.
  const std::string separator = UserLocaleText(LOCALE_STHOUSAND, ",");
  std::string digits = std::to_string(value);
  std::string result;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      result += separator;
    result += digits[i];
  }
  return result;
}

} // namespace

std::string UserLocaleText(LCTYPE type, const std::string &fallback) {
  // The wide call: the ANSI one answers in the locale's own code page, not in UTF-8.
  wchar_t buffer[100] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 100) == 0)
    return fallback;
  return WideToUtf8(buffer);
}

std::string FormatCount(uint64_t value) { return GroupThousands(value); }

std::string FormatSizeKB(uint64_t bytes) {
  // Integer arithmetic: a floating-point quotient would lose the remainder of sizes past 2^53 bytes.
  const uint64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  std::string text = KdLoadResString(SKdShSizeKB);
  const std::string number = GroupThousands(kilobytes);
  // The resource is a translatable pattern: only its "%s" is filled in, it is never used as a printf format.
  const size_t insert = text.find("%s");
  if (insert == std::string::npos)
    return number + text;
  return text.replace(insert, 2, number);
}

std::string FormatKBSize(uint64_t bytes) {
  wchar_t text[64] = {};
  if (!StrFormatKBSizeW(static_cast<LONGLONG>(bytes), text, static_cast<UINT>(std::size(text))))
    return {};
  return WideToUtf8(text);
}

std::string FormatByteSize(uint64_t bytes) {
  wchar_t text[64] = {};
  if (!StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, static_cast<UINT>(std::size(text))))
    return {};
  return WideToUtf8(text);
}

std::string DriveSpaceText(const std::string &root, bool total) {
  TKdErrorModeScope errorMode;
  ULARGE_INTEGER available = {}, size = {};
  if (!GetDiskFreeSpaceExW(Utf8ToWide(root).c_str(), &available, &size, nullptr))
    return {};
  return FormatByteSize(total ? size.QuadPart : available.QuadPart);
}

std::string FormatFileTime(const FILETIME &time) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st))
    return {};
  // The wide entry points: Wine's GetLocaleInfoA knows no LOCALE_SSHORTTIME.
  wchar_t shortTime[80] = {};
  const bool haveShortTime = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTTIME, shortTime, 80) > 1;
  wchar_t date[100] = {};
  wchar_t clock[100] = {};
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 100))
    return {};
  if (!GetTimeFormatW(LOCALE_USER_DEFAULT, haveShortTime ? 0 : TIME_NOSECONDS, &st, haveShortTime ? shortTime : nullptr,
                      clock, 100))
    return {};
  return WideToUtf8(date) + " " + WideToUtf8(clock);
}

void FormatFindDataTexts(const WIN32_FIND_DATAW &data, std::string &size, std::string &modified) {
  size.clear();
  modified.clear();
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    size = FormatSizeKB((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  const bool noLastWrite = data.ftLastWriteTime.dwLowDateTime == 0 && data.ftLastWriteTime.dwHighDateTime == 0;
  modified = FormatFileTime(noLastWrite ? data.ftCreationTime : data.ftLastWriteTime);
}

void GetFileSizeAndModified(LPCITEMIDLIST list, std::string &size, std::string &modified) {
  size.clear();
  modified.clear();
  const std::wstring path = IdListToWidePath(list);
  // A drive root ("C:\") has no entry of its own to find.
  if (path.size() <= 3)
    return;
  TKdErrorModeScope errorMode;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  FindClose(find);
  FormatFindDataTexts(data, size, modified);
}

std::string GetTypeText(LPCITEMIDLIST list, SFGAOF attributes) {
  if (!(attributes & SFGAO_FILESYSTEM))
    return KdLoadResString(SKdShSystemFolder);
  // The wide record: the ANSI one holds 80 bytes, which can end inside a character of a UTF-8 type name.
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_PIDL))
    return {};
  info.szTypeName[std::size(info.szTypeName) - 1] = L'\0';
  return WideToUtf8(info.szTypeName);
}

void GetItemDetailTexts(LPCITEMIDLIST list, SFGAOF attributes, std::string &size, std::string &modified,
                        std::string &type) {
  GetFileSizeAndModified(list, size, modified);
  type = GetTypeText(list, attributes);
}
