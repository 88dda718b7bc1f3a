#include "shellns/FormatStrPos.h"

#include <windows.h>

#include "toolkit/SysUtils.h"

namespace {

const size_t MaxSubstitutionStrings = 50;
// FormatMessage accepts inserts up to %99 and reads whatever the array holds there: every slot past the
// caller's strings points at an empty string, so a format naming more inserts than given stays in bounds.
const size_t InsertSlots = 99;

} // namespace

std::string FormatStrPos(const std::string &format, const std::vector<std::string> &strings) {
  if (format.empty())
    return {};
  if (strings.size() > MaxSubstitutionStrings)
    throw Exception("FormatStrPos: Too many substitution strings");
  static const char Empty[] = "";
  DWORD_PTR args[InsertSlots];
  for (size_t i = 0; i < InsertSlots; ++i)
    args[i] = reinterpret_cast<DWORD_PTR>(i < strings.size() ? strings[i].c_str() : Empty);
  char *buffer = nullptr;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     format.c_str(), 0, 0, reinterpret_cast<char *>(&buffer), 256, reinterpret_cast<va_list *>(args));
  std::string result;
  if (length && buffer)
    result.assign(buffer, length);
  if (length)
    LocalFree(buffer);
  return result;
}
