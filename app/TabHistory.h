#pragma once
// The folders one tab has shown, in order, with the place of the one it shows now: Back and Forward walk
// them as a browser does. Only the last MaxSteps folders behind and ahead are kept.
#include <functional>
#include <vector>

#include "shellns/IdList.h"

class TTabHistory {
public:
  static constexpr size_t MaxSteps = 100;

  TTabHistory() = default;
  TTabHistory(const TTabHistory &other);
  TTabHistory &operator=(const TTabHistory &other);
  TTabHistory(TTabHistory &&) = default;
  TTabHistory &operator=(TTabHistory &&) = default;

  // Forgets everything: folder (null: the desktop) is the only entry.
  void Start(LPCITEMIDLIST folder);
  // The tab now shows folder: unless it is the current entry, it becomes the entry after it and the
  // entries ahead are dropped.
  void Visit(LPCITEMIDLIST folder);

  bool CanGoBack() const { return FIndex > 0; }
  bool CanGoForward() const { return FIndex + 1 < FEntries.size(); }
  // Steps back (direction -1) or forward (1) to the nearest entry that still exists, as exists tells, and
  // is another folder than the current one; entries passed over are dropped. Null, with nothing changed but
  // the dropped entries, when there is none.
  using TExists = std::function<bool(LPCITEMIDLIST folder)>;
  LPCITEMIDLIST Step(int direction, const TExists &exists);

  // The current entry; null before Start.
  LPCITEMIDLIST Current() const { return FEntries.empty() ? nullptr : FEntries[FIndex].get(); }

  // Whether a folder still exists: a file-system folder is looked for on disk (without a dialog for a drive
  // that has no medium); a virtual folder is taken to exist.
  static bool FolderExists(LPCITEMIDLIST folder);

private:
  std::vector<TKdIdListPtr> FEntries;
  size_t FIndex = 0;
};
