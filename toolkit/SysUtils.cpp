#include "toolkit/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void Abort() { throw EAbort(); }

void OleCheck(HRESULT hr) {
  if (FAILED(hr))
    throw EOleError(SysErrorMessage(static_cast<DWORD>(hr)), hr);
}

std::string SysErrorMessage(DWORD code) {
  char *buffer = nullptr;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
  std::string text;
  if (length && buffer)
    text.assign(buffer, length);
  if (buffer)
    LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty())
    text = FormatStr("System error 0x%08lX", static_cast<unsigned long>(code));
  return text;
}

void RaiseLastOSError() {
  DWORD code = GetLastError();
  throw Exception(
      FormatStr("System Error.  Code: %lu.\n%s", static_cast<unsigned long>(code), SysErrorMessage(code).c_str()));
}

std::string FormatStr(const char *format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string result;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    result.assign(buffer.data(), static_cast<size_t>(needed));
  }
  va_end(args);
  return result;
}

std::wstring Utf8ToWide(const std::string &text) {
  if (text.empty())
    return {};
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
  return result;
}

std::string AnsiUpperCase(const std::string &text) {
  std::wstring wide = Utf8ToWide(text);
  if (!wide.empty())
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return WideToUtf8(wide.c_str(), static_cast<int>(wide.size()));
}

std::string WideToUtf8(const wchar_t *text, int length) {
  if (!text || length == 0)
    return {};
  int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return {};
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
  if (length < 0 && !result.empty() && result.back() == '\0')
    result.pop_back();
  return result;
}

int64_t DiskFree(int drive) {
  std::string root;
  if (drive != 0) {
    if (drive < 1 || drive > 26)
      return -1;
    root = std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
  }
  ULARGE_INTEGER available, total, free;
  // An empty removable drive answers with an error, not with a system dialog.
  UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
  BOOL ok = GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, &total, &free);
  SetErrorMode(mode);
  return ok ? static_cast<int64_t>(available.QuadPart) : -1;
}
