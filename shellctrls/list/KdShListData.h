#pragma once
// TKdShListData: what a row of the shell list knows of its shell item. It owns the item's relative ID list
// and computes everything else on demand: a list of 100,000 rows must not pay for names, icons or details
// of rows nobody looks at. What has been computed is kept in a side record made on first need, so a row
// that was never drawn costs only this object.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shellns/IdList.h"
#include "toolkit/Component.h"

class IKdShellFolderContext;

class TKdShListData : public TObject {
public:
  // The item list within folder (the list's folder, which outlives its rows).
  TKdShListData(IKdShellFolderContext *folder, TKdIdListPtr list);
  ~TKdShListData() override;
  TKdShListData(const TKdShListData &) = delete;
  TKdShListData &operator=(const TKdShListData &) = delete;

  // The item within the folder.
  LPCITEMIDLIST RelIdList() const { return FRelIdList.get(); }
  // The item under another list (after a rename: its new name); what was computed from the old one goes.
  void SetRelIdList(TKdIdListPtr list);
  // Forgets the absolute list, name, icon and detail texts; they are computed again when next asked for.
  void ResetCache();

  // The folder's absolute list followed by the item, built on first use; owned by this object.
  LPCITEMIDLIST GetAbsIdList();
  // The shell's name of the item in its folder, asked for once.
  const std::string &GetName();
  // Whether GetName has been asked (the row was drawn, or someone wanted its name).
  bool NameLoaded() const { return FCache && FCache->NameLoaded; }
  // The key the list's name filter matches this item by, once the list has made it; null before, and again
  // after the item changed (ResetCache).
  const std::wstring *MatchKey() const { return FMatchKey.get(); }
  void SetMatchKey(std::wstring key) { FMatchKey = std::make_unique<std::wstring>(std::move(key)); }
  // The size of a file-system file from what the folder handed out for it; false for folders and virtual
  // items.
  bool GetFileSize(uint64_t &size);
  // File-system path; "" for virtual items. Not kept.
  std::string GetPath();
  // The item's SFGAO_ attributes, asked of the folder on every call (they change: read-only, hidden...).
  SFGAOF GetAttributes();
  bool CanRename();
  // Opens as a folder: a browsable file (an archive) only when the list lets files be folders.
  bool IsFolder();
  // A ".lnk" file, whatever the letter case.
  bool IsLink();
  // The system small-icon index, asked for once.
  int GetIconIndex();

  // Size, modified and type texts of the list's own columns, computed once.
  void LoadDetails();
  bool DetailsLoaded() const { return FCache && FCache->DetailsLoaded; }
  // The text of a column after the name: from the folder's details when it has them, else the list's own
  // size (1), type (2) and modified (3) texts; "" for column 0 and others. Asked for once (every repaint of
  // the row shows it).
  std::string GetColumnText(int column);

private:
  struct TCache {
    TKdIdListPtr AbsIdList;
    std::string Name;
    bool NameLoaded = false;
    bool DetailsLoaded = false;
    int IconIndex = -1;
    std::string SizeText;
    std::string TypeText;
    std::string ModifiedText;
    // The folder's detail texts by column, as far as they were asked for.
    std::vector<std::optional<std::string>> Columns;
  };
  TCache &Cache();

  IKdShellFolderContext *FFolder;
  TKdIdListPtr FRelIdList;
  std::unique_ptr<TCache> FCache;
  std::unique_ptr<std::wstring> FMatchKey;
};
