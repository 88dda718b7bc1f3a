#pragma once
// TRegistry: reads values of one registry key at a time. Read-only: it never creates or changes anything.
#include <windows.h>

#include <string>

#include "toolkit/Component.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

class ERegistryException : public Exception {
  using Exception::Exception;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
public:
  TRegistry() = default;
  ~TRegistry() override;
  TRegistry(const TRegistry &) = delete;
  TRegistry &operator=(const TRegistry &) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key first.
  void SetRootKey(HKEY Value);
  HKEY CurrentKey() const { return FCurrentKey.Get(); }
  const std::string &CurrentPath() const { return FCurrentPath; }

  // Opens Key (relative to the root; a leading backslash is allowed) for reading, closing the key open before.
  // A key that is missing or cannot be read gives false, never an exception.
  bool OpenKeyReadOnly(const std::string &Key);
  void CloseKey();

  // These ask the open key; without one, no value exists.
  bool ValueExists(const std::string &Name);
  // Byte size of the value's data, or -1 when it does not exist.
  int GetDataSize(const std::string &Name);
  TRegDataType GetDataType(const std::string &Name);

  // A missing value reads as the empty string; a value that is not a string raises ERegistryException.
  std::string ReadString(const std::string &Name);
  // A missing value, or one that is not a 32-bit number, raises ERegistryException.
  int ReadInteger(const std::string &Name);
  // Copies the value's data into Buffer and returns its size; a missing value gives 0. Data larger than
  // BufSize, or a string or number value, raises ERegistryException and leaves Buffer untouched.
  int ReadBinaryData(const std::string &Name, void *Buffer, int BufSize);

private:
  bool QueryInfo(const std::string &Name, DWORD &Type, DWORD &Size);

  HKEY FRootKey = HKEY_CURRENT_USER;
  TRegKey FCurrentKey;
  std::string FCurrentPath;
};
