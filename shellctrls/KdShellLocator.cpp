#include "shellctrls/KdShellLocator.h"

#include <cstring>

#include "toolkit/SysUtils.h"

namespace {

// IdListCompare's answer when the shell could not compare the two lists.
constexpr int CompareFailed = 0x7FFFFFFF;

// A copy of list in the shell allocator, or null for null and the empty list (both the desktop).
TKdIdListPtr CopyNonEmpty(LPCITEMIDLIST list) {
  if (!list || IdListSize(list) <= 2)
    return nullptr;
  TKdIdListPtr copy = IdListCopy(list);
  if (!copy)
    OleCheck(E_OUTOFMEMORY);
  return copy;
}

// True when size bytes at data are items whose counts end exactly on a terminator in the last two bytes.
bool IsWellFormedIdList(const uint8_t *data, size_t size) {
  size_t pos = 0;
  while (size >= 2 && pos <= size - 2) {
    uint16_t cb;
    std::memcpy(&cb, data + pos, sizeof cb);
    if (cb == 0)
      return pos == size - 2;
    if (cb < sizeof cb)
      return false;
    pos += cb;
  }
  return false;
}

} // namespace

LPCITEMIDLIST TKdShellLocator::GetIdList() {
  if (FKind == kdlkIdList)
    return FIdList.get();
  if (FKind != kdlkSpecialFolder)
    return nullptr;
  if (!FIdList) {
    // The toolkit has no application window to own the call; the platform does not need one. The stored
    // number goes to the shell whole: one it does not know names no folder (the desktop), not another one.
    // Whatever a failing call wrote is let go of: the next call asks again.
    if (FAILED(SHGetSpecialFolderLocation(nullptr, FSpecialFolder, PidlOut(FIdList))))
      FIdList.reset();
  }
  return FIdList.get();
}

void TKdShellLocator::SetIdList(LPCITEMIDLIST list) {
  // Copied before the held list is let go: the caller may hand in GetIdList() itself.
  TKdIdListPtr copy = CopyNonEmpty(list);
  bool wasSpecial = FKind != kdlkIdList;
  FKind = kdlkIdList;
  bool changed;
  if (FIdList) {
    if (wasSpecial) {
      changed = true;
    } else {
      int result = IdListCompare(FIdList.get(), list);
      changed = result != 0 && result != CompareFailed;
    }
  } else {
    changed = wasSpecial || (list && list->mkid.cb != 0);
  }
  FIdList = std::move(copy);
  FSpecialFolder = kdNoSpecialFolder;
  if (changed)
    Changed();
}

std::string TKdShellLocator::GetPath() { return IdListToPath(GetIdList()); }

void TKdShellLocator::SetPath(const std::string &path) {
  TKdIdListPtr parsed;
  HRESULT hr = ParseDisplayNameToIdList(path, parsed);
  if (FAILED(hr))
    Clear();
  else
    SetIdList(parsed.get());
}

bool TKdShellLocator::IsEqual(const TKdShellLocator *other) const {
  if (!other || other->FKind != FKind)
    return false;
  if (other == this)
    return true;
  if (FKind == kdlkIdList)
    return IdListCompare(FIdList.get(), other->FIdList.get()) == 0;
  return FSpecialFolder == other->FSpecialFolder;
}

void TKdShellLocator::Assign(TPersistent *Source) {
  if (!Source) {
    // A special folder counts as named even before its list was looked up, so it too falls back to the
    // desktop here.
    if (FIdList || FKind != kdlkIdList) {
      FIdList.reset();
      FKind = kdlkIdList;
      Changed();
    }
    return;
  }
  if (auto *source = dynamic_cast<TKdShellLocator *>(Source)) {
    if (IsEqual(source))
      return;
    TKdIdListPtr copy = source->FKind == kdlkIdList ? CopyNonEmpty(source->FIdList.get()) : nullptr;
    FIdList = std::move(copy);
    FKind = source->FKind;
    if (FKind != kdlkIdList)
      FSpecialFolder = source->FSpecialFolder;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TKdShellLocator::Changed() {
  if (OnChange)
    OnChange(this);
}

void TKdShellLocator::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Pidl", [this](TStream &stream) { ReadPidl(stream); }, [this](TStream &stream) { WritePidl(stream); },
      FIdList || FKind != kdlkIdList);
}

void TKdShellLocator::WritePidl(TStream &Stream) {
  Stream.WriteValue<uint8_t>(FKind);
  if (FKind != kdlkIdList) {
    Stream.WriteValue<uint8_t>(FSpecialFolder);
    return;
  }
  int32_t size = FIdList ? static_cast<int32_t>(IdListSize(FIdList.get())) : 0;
  Stream.WriteValue<int32_t>(size);
  if (size)
    Stream.WriteBuffer(FIdList.get(), size);
}

void TKdShellLocator::ReadPidl(TStream &Stream) {
  auto kind = Stream.ReadValue<uint8_t>();
  if (kind != kdlkIdList) {
    auto folder = Stream.ReadValue<uint8_t>();
    FKind = kdlkSpecialFolder;
    FSpecialFolder = folder;
    FIdList.reset();
    return;
  }
  auto size = Stream.ReadValue<int32_t>();
  if (size == 0) {
    // A stored size of 0 names the desktop; it comes back as the desktop special folder.
    FKind = kdlkSpecialFolder;
    FSpecialFolder = CSIDL_DESKTOP;
    FIdList.reset();
    return;
  }
  // The size comes from the file: it is checked against what the record holds before anything is allocated,
  // and the bytes must form a list that ends where the size says before any list walk may see them.
  if (size < 0 || size > Stream.Remaining())
    throw EReadError("Stream read error");
  TKdIdListPtr list(static_cast<LPITEMIDLIST>(ShellMemAlloc(static_cast<size_t>(size))));
  if (!list)
    OleCheck(E_OUTOFMEMORY);
  Stream.ReadBuffer(list.get(), size);
  if (!IsWellFormedIdList(reinterpret_cast<const uint8_t *>(list.get()), static_cast<size_t>(size)))
    throw EReadError("Stream read error: the stored item ID list is damaged");
  if (size <= 2)
    list.reset();
  FKind = kdlkIdList;
  FIdList = std::move(list);
}
