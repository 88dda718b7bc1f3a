#include "app/TabHistory.h"

#include "shellns/ErrorModeScope.h"

namespace {

bool Same(LPCITEMIDLIST a, LPCITEMIDLIST b) { return IdListCompare(a, b) == 0; }

} // namespace

TTabHistory::TTabHistory(const TTabHistory &other) : FIndex(other.FIndex) {
  for (const TKdIdListPtr &entry : other.FEntries)
    FEntries.push_back(IdListCopy(entry.get()));
}

TTabHistory &TTabHistory::operator=(const TTabHistory &other) {
  if (this != &other)
    *this = TTabHistory(other);
  return *this;
}

void TTabHistory::Start(LPCITEMIDLIST folder) {
  FEntries.clear();
  // Held as a list even for the desktop, so that entries compare alike whatever named them.
  FEntries.push_back(IdListCopy(folder));
  FIndex = 0;
}

void TTabHistory::Visit(LPCITEMIDLIST folder) {
  if (FEntries.empty()) {
    Start(folder);
    return;
  }
  TKdIdListPtr entry = IdListCopy(folder);
  if (Same(entry.get(), Current()))
    return;
  FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(FIndex) + 1, FEntries.end());
  FEntries.push_back(std::move(entry));
  ++FIndex;
  if (FIndex > MaxSteps) {
    const size_t dropped = FIndex - MaxSteps;
    FEntries.erase(FEntries.begin(), FEntries.begin() + static_cast<std::ptrdiff_t>(dropped));
    FIndex -= dropped;
  }
}

LPCITEMIDLIST TTabHistory::Step(int direction, const TExists &exists) {
  for (;;) {
    if (direction < 0 ? !CanGoBack() : !CanGoForward())
      return nullptr;
    const size_t target = direction < 0 ? FIndex - 1 : FIndex + 1;
    LPCITEMIDLIST entry = FEntries[target].get();
    if (exists(entry) && !Same(entry, Current())) {
      FIndex = target;
      return entry;
    }
    FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(target));
    if (direction < 0)
      --FIndex;
  }
}

bool TTabHistory::FolderExists(LPCITEMIDLIST folder) {
  const std::wstring path = IdListToWidePath(folder);
  // A path too long for the plain call is taken on the shell's word, as the tree takes it.
  if (path.empty() || path.size() >= MAX_PATH)
    return true;
  TKdErrorModeScope errorMode;
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
