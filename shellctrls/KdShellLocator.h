#pragma once
// TKdShellLocator: the persistent name of one shell folder, either an absolute item ID list or a special folder
// number (CSIDL_) that is resolved to its list on first use. Raises OnChange whenever the named folder changes.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <string>

#include "shellns/IdList.h"
#include "toolkit/Classes.h"

// Values of Kind().
constexpr uint8_t kdlkIdList = 0;
constexpr uint8_t kdlkSpecialFolder = 1;
// The SpecialFolder value that names no special folder.
constexpr uint8_t kdNoSpecialFolder = 50;

class TKdShellLocator : public TPersistent {
public:
  // A new locator names the desktop by an (absent) ID list.
  TKdShellLocator() = default;
  TKdShellLocator(const TKdShellLocator &) = delete;
  TKdShellLocator &operator=(const TKdShellLocator &) = delete;

  // The named folder's absolute list, owned by the locator and valid until it next changes; null means the
  // desktop. A special folder is looked up on the first call, and again on the next one if that failed.
  LPCITEMIDLIST GetIdList();
  // Names the folder by a copy of list (null or empty: the desktop); list may be the locator's own.
  void SetIdList(LPCITEMIDLIST list);
  void Clear() { SetIdList(nullptr); }
  // File-system path of the folder; "" for virtual folders.
  std::string GetPath();
  // Parses a path or "::{CLSID}" text; one that cannot be parsed names the desktop.
  void SetPath(const std::string &path);
  bool IsEqual(const TKdShellLocator *other) const;
  // From another locator (nothing happens when it names the same folder), or null for the desktop; any other
  // source raises EConvertError.
  void Assign(TPersistent *Source) override;

  uint8_t Kind() const { return FKind; }
  uint8_t SpecialFolder() const { return FSpecialFolder; }

  TNotifyEvent OnChange;

protected:
  // Stores the binary property "Pidl" (see WritePidl), only when it names something other than the desktop.
  void DefineProperties(TFiler *Filer) override;
  virtual void Changed();

private:
  // Record: the kind byte, then for a special folder its number; for an ID list a signed 32-bit size N (0 for
  // none) and N bytes of the list, terminator included.
  void WritePidl(TStream &Stream);
  // Validates the whole record before taking any of it: a record that is cut short, or whose list is not
  // well formed, raises EReadError and leaves the locator as it was.
  void ReadPidl(TStream &Stream);

  uint8_t FKind = kdlkIdList;
  // For an ID list, the name itself (the empty list is held as null); for a special folder, the looked-up list.
  TKdIdListPtr FIdList;
  uint8_t FSpecialFolder = 0;
};
