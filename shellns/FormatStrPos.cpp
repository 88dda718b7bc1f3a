#include "shellns/FormatStrPos.h"

#include <windows.h>

#include <string_view>

#include "toolkit/SysUtils.h"

namespace {

const size_t MaxSubstitutionStrings = 50;
// FormatMessage accepts inserts up to %99 and reads whatever the array holds there: every slot past the
// caller's strings points at an empty string, so a format naming more inserts than given stays in bounds.
const size_t InsertSlots = 99;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A printf conversion that reads exactly its own insert as a narrow string: flags, a width and a precision
// written as digits, and "s" (or "hs"). "*" would take a number from the next insert, the wide and numeric
// conversions read the insert as something else, and "n" writes through it.
bool IsPlainStringConversion(const std::string &conversion) {
  size_t i = 0;
  while (i < conversion.size() && std::string_view("-+ #0").find(conversion[i]) != std::string_view::npos)
    ++i;
  while (i < conversion.size() && IsDigit(conversion[i]))
    ++i;
  if (i < conversion.size() && conversion[i] == '.') {
    ++i;
    while (i < conversion.size() && IsDigit(conversion[i]))
      ++i;
  }
  std::string_view rest(conversion.c_str() + i, conversion.size() - i);
  return rest == "s" || rest == "hs";
}

// Walks the format as FormatMessage reads it ("%" and one character are an escape, "%" and one or two digits
// an insert, optionally followed by "!conversion!") and raises for anything that could read past the
// inserts. It reads on past "%0", which ends the output, so it never accepts less than the system reads.
void CheckInserts(const std::string &format) {
  auto refuse = [&](size_t from, size_t to) {
    throw Exception("FormatStrPos: Unsupported insert " + format.substr(from, to - from));
  };
  const size_t size = format.size();
  size_t i = 0;
  while (i < size) {
    if (format[i] != '%' || i + 1 == size || !IsDigit(format[i + 1])) {
      // Text, or an escape such as "%%" or "%!", whose second character is never read as an insert.
      i += format[i] == '%' ? 2 : 1;
      continue;
    }
    const size_t start = i++;
    const size_t digits = i + 1 < size && IsDigit(format[i + 1]) ? 2 : 1;
    if (format[i] == '0' && digits == 2)
      refuse(start, i + 2);
    i += digits;
    if (format[start + 1] == '0' || i == size || format[i] != '!')
      continue;
    const size_t close = format.find('!', i + 1);
    if (close == std::string::npos)
      refuse(start, size);
    if (!IsPlainStringConversion(format.substr(i + 1, close - i - 1)))
      refuse(start, close + 1);
    i = close + 1;
  }
}

} // namespace

std::string FormatStrPos(const std::string &format, const std::vector<std::string> &strings) {
  if (format.empty())
    return {};
  if (strings.size() > MaxSubstitutionStrings)
    throw Exception("FormatStrPos: Too many substitution strings");
  CheckInserts(format);
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
