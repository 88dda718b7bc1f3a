#pragma once
// The columns of a list view's report view. Each column mirrors one column of the control while the list
// view has a window, and keeps its description while it has none.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Control.h"

class TCustomListView;
class TListColumns;

class TListColumn {
public:
  TListColumn(const TListColumn &) = delete;
  TListColumn &operator=(const TListColumn &) = delete;

  TListColumns *Owner() const { return FOwner; }
  int Index() const;

  const std::string &Caption() const { return FCaption; }
  void SetCaption(const std::string &value);
  // The width the user gave the column in the window, or the last one set.
  int Width() const;
  void SetWidth(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

private:
  friend class TListColumns;
  explicit TListColumn(TListColumns *owner) : FOwner(owner) {}

  // Writes the description into the control's column.
  void Apply() const;

  TListColumns *FOwner;
  std::string FCaption;
  mutable int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class TListColumns {
public:
  explicit TListColumns(TCustomListView *owner) : FOwner(owner) {}
  ~TListColumns();
  TListColumns(const TListColumns &) = delete;
  TListColumns &operator=(const TListColumns &) = delete;

  TCustomListView *Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FColumns.size()); }
  TListColumn *Item(int index) const;
  TListColumn *operator[](int index) const { return Item(index); }

  // Appends a column (caption empty, 50 wide at 96 dpi, left-aligned).
  TListColumn *Add();
  void Delete(int index);
  void Clear();

  // Changes between the two are drawn once, at the end.
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TListColumn;
  friend class TCustomListView;

  // Puts every column into a new window, and reads the widths back before the window goes.
  void CreateInWindow(HWND wnd) const;
  void SaveWidths(HWND wnd) const;

  TCustomListView *FOwner;
  std::vector<std::unique_ptr<TListColumn>> FColumns;
};
