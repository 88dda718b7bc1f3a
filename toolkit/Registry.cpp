#include "toolkit/Registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
  case REG_SZ:
    return rdString;
  case REG_EXPAND_SZ:
    return rdExpandString;
  case REG_DWORD:
    return rdInteger;
  case REG_BINARY:
    return rdBinary;
  default:
    return rdUnknown;
  }
}

[[noreturn]] void InvalidType(const std::string &name) {
  throw ERegistryException(FormatStr("Invalid data type for '%s'", name.c_str()));
}

[[noreturn]] void NoData(const std::string &name) {
  throw ERegistryException(FormatStr("Failed to get data for '%s'", name.c_str()));
}

} // namespace

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value) {
  CloseKey();
  FRootKey = Value;
}

bool TRegistry::OpenKeyReadOnly(const std::string &Key) {
  CloseKey();
  std::string path = !Key.empty() && Key[0] == '\\' ? Key.substr(1) : Key;
  HKEY key = nullptr;
  if (RegOpenKeyExA(FRootKey, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  FCurrentKey.Reset(key);
  FCurrentPath = path;
  return true;
}

void TRegistry::CloseKey() {
  FCurrentKey.Reset();
  FCurrentPath.clear();
}

bool TRegistry::QueryInfo(const std::string &Name, DWORD &Type, DWORD &Size) {
  Type = REG_NONE;
  Size = 0;
  if (!FCurrentKey)
    return false;
  return RegQueryValueExA(FCurrentKey.Get(), Name.c_str(), nullptr, &Type, nullptr, &Size) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string &Name) {
  DWORD type, size;
  return QueryInfo(Name, type, size);
}

int TRegistry::GetDataSize(const std::string &Name) {
  DWORD type, size;
  return QueryInfo(Name, type, size) ? static_cast<int>(size) : -1;
}

TRegDataType TRegistry::GetDataType(const std::string &Name) {
  DWORD type, size;
  return QueryInfo(Name, type, size) ? DataTypeOf(type) : rdUnknown;
}

std::string TRegistry::ReadString(const std::string &Name) {
  DWORD type, size;
  if (!QueryInfo(Name, type, size))
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    InvalidType(Name);
  // The value may change between the two calls; ask again with the larger size until it fits.
  std::vector<char> data;
  LONG rc;
  do {
    data.assign(static_cast<size_t>(size) + 1, '\0');
    size = static_cast<DWORD>(data.size());
    rc =
        RegQueryValueExA(FCurrentKey.Get(), Name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
  } while (rc == ERROR_MORE_DATA);
  if (rc != ERROR_SUCCESS)
    NoData(Name);
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    InvalidType(Name);
  // Stored strings need not end in a zero, and may end in several.
  std::string text(data.data(), std::min<size_t>(size, data.size()));
  size_t end = text.find('\0');
  if (end != std::string::npos)
    text.resize(end);
  return text;
}

int TRegistry::ReadInteger(const std::string &Name) {
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!FCurrentKey)
    NoData(Name);
  LONG rc = RegQueryValueExA(FCurrentKey.Get(), Name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
  if (rc == ERROR_MORE_DATA)
    InvalidType(Name);
  if (rc != ERROR_SUCCESS)
    NoData(Name);
  if (type != REG_DWORD || size != sizeof value)
    InvalidType(Name);
  return static_cast<int>(value);
}

int TRegistry::ReadBinaryData(const std::string &Name, void *Buffer, int BufSize) {
  DWORD type, size;
  if (!QueryInfo(Name, type, size))
    return 0;
  TRegDataType kind = DataTypeOf(type);
  if ((kind != rdBinary && kind != rdUnknown) || BufSize < 0 || size > static_cast<DWORD>(BufSize))
    InvalidType(Name);
  if (size == 0)
    return 0;
  // Read into a buffer of our own, so a value that grew in between never overruns the caller's.
  std::vector<BYTE> data(size);
  DWORD got = size;
  if (RegQueryValueExA(FCurrentKey.Get(), Name.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS)
    NoData(Name);
  if (got > static_cast<DWORD>(BufSize))
    InvalidType(Name);
  std::memcpy(Buffer, data.data(), got);
  return static_cast<int>(got);
}
