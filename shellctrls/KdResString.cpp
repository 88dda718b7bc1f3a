#include "shellctrls/KdResString.h"

#include "toolkit/SysUtils.h"

std::string KdLoadResString(UINT id) {
  // With a zero buffer size the platform hands out the resource's own text in place, however long it is.
  const wchar_t *text = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text)
    return {};
  return WideToUtf8(text, length);
}
