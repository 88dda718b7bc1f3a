#pragma once
// The rows of a list view. The list view keeps them itself and shows them through a virtual (owner-data)
// control, so a row costs no window message when it is made and only the memory of a TListItem: texts are
// asked for when a row is drawn, and a row keeps a caption or sub-item texts only once they are set.
//
// A row filter of the list view makes the control show some rows only, in row order: the rows all stay here
// (Count, Item, Index), and the shown ones have a place in the control besides (ShownCount, ShownItem).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Component.h"

class TCustomListView;
class TListItem;
class TListItems;

// What DisplayRect measures (the platform's LVIR_ codes).
enum TDisplayCode : uint8_t { drBounds, drIcon, drLabel, drSelectBounds };

// The texts of a row's columns after the first. A row can have placeholders without texts (Count grows,
// nothing is stored); the texts live in a side store made when the first non-empty one is set.
class TSubItems {
public:
  explicit TSubItems(TListItem *item) : FItem(item) {}

  int Count() const;
  // Appends a sub-item; its index.
  int Add(const std::string &text = {});
  // The text of sub-item index, empty for a placeholder or an index past the end.
  const std::string &operator[](int index) const;
  // Sets the text of an existing sub-item.
  void Put(int index, const std::string &text);
  // True when the application set a non-empty text for sub-item index.
  bool HasText(int index) const;
  void Clear();

private:
  TListItem *FItem;
};

class TListItem {
public:
  TListItem(const TListItem &) = delete;
  TListItem &operator=(const TListItem &) = delete;

  TListItems *Owner() const { return FOwner; }
  TCustomListView *ListView() const;
  // The row's position in the list.
  int Index() const;
  // Whether the list view's row filter lets the control show the row.
  bool Shown() const { return !(FFlags & HiddenFlag); }
  // The row's place among the shown rows (its place in the control), -1 for a hidden row.
  int ShownIndex() const;

  // Empty until set: a list that supplies its texts on demand need not store them.
  const std::string &Caption() const;
  void SetCaption(const std::string &value);
  TSubItems SubItems() { return TSubItems(this); }

  // The application's object for the row, owned by the row: it goes with the row (after the list view's
  // Delete hook has seen it) or when another takes its place.
  TObject *Data() const { return FData.get(); }
  void SetData(std::unique_ptr<TObject> value) { FData = std::move(value); }

  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  // Index of the overlay image (as registered with the image list, 0-based), -1 for none.
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int value);

  // Selection and focus are kept by the control; they read false while the list has no window.
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  void SetFocused(bool value);
  // Drawn ghosted (a hidden or cut item).
  bool Cut() const { return FFlags & CutFlag; }
  void SetCut(bool value);
  // Drawn as the target of a drag.
  bool DropTarget() const { return FFlags & DropFlag; }
  void SetDropTarget(bool value);

  // Starts editing the caption in place; false when the list refused (or has no window).
  bool EditCaption();
  // The row's rectangle of that kind in client coordinates (empty while the list has no window).
  RECT DisplayRect(TDisplayCode code) const;
  void MakeVisible(bool partialOK);
  // Draws the row again.
  void Update() const;
  // Removes the row from its list (and destroys it).
  void Delete();

private:
  friend class TListItems;
  friend class TSubItems;
  explicit TListItem(TListItems *owner) : FOwner(owner) {}
  ~TListItem() = default;

  static constexpr uint8_t CutFlag = 0x01;
  static constexpr uint8_t DropFlag = 0x02;
  static constexpr uint8_t HiddenFlag = 0x04;

  void SetFlag(uint8_t flag, bool value);
  void SetFlagQuietly(uint8_t flag, bool value) {
    FFlags = static_cast<uint8_t>(value ? (FFlags | flag) : (FFlags & ~flag));
  }

  TListItems *FOwner;
  std::unique_ptr<TObject> FData;
  std::unique_ptr<std::string> FCaption;
  std::unique_ptr<std::vector<std::string>> FSubTexts;
  // Position in the owner's list as last numbered; checked against the list before use.
  mutable int FIndex = -1;
  // Position among the shown rows as last numbered, while a row filter is on; checked like FIndex.
  mutable int FShownIndex = -1;
  int FImageIndex = -1;
  uint16_t FSubItemCount = 0;
  int8_t FOverlayIndex = -1;
  uint8_t FFlags = 0;
};

// The list view's rows, in display order. Every row is made by Add and destroyed by Delete or Clear, and
// both pass through the list view's InsertItem and Delete hooks.
class TListItems {
public:
  explicit TListItems(TCustomListView *owner) : FOwner(owner) {}
  ~TListItems();
  TListItems(const TListItems &) = delete;
  TListItems &operator=(const TListItems &) = delete;

  TCustomListView *Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TListItem *Item(int index) const;
  TListItem *operator[](int index) const { return Item(index); }
  int IndexOf(const TListItem *item) const;

  // Appends a row that owns data; the list view's InsertItem hook sees the row with it.
  TListItem *Add(std::unique_ptr<TObject> data = nullptr);
  void Delete(int index);
  // Deletes every row, the last first.
  void Clear();

  // The rows the control shows: all of them, or those the list view's row filter passes, in row order.
  int ShownCount() const { return FFiltered ? static_cast<int>(FShown.size()) : Count(); }
  TListItem *ShownItem(int position) const;

  void BeginUpdate();
  void EndUpdate();

private:
  friend class TCustomListView;
  friend class TListItem;

  // Rows numbered from FNumberedUpTo on may carry stale positions.
  void Renumber() const;
  void RenumberShown() const;
  // Marks every row shown or hidden by filter (empty: no filter, all shown) and lists the shown ones.
  void ApplyFilter(const std::function<bool(TListItem *)> &filter);
  // The shown rows listed again in row order (after a sort).
  void ListShown();
  // A row just added or about to go, in the list of shown rows.
  void AddShown(TListItem *item);
  void RemoveShown(TListItem *item);
  void CheckIndex(int index) const;
  // Destroys every row without the hooks (the list view going away).
  void FreeAll();
  // Rows are made in blocks: one allocation per row would cost more than everything else a row needs.
  TListItem *NewItem();
  void FreeItem(TListItem *item);

  static constexpr size_t ItemsPerBlock = 1024;
  struct TItemBlock {
    alignas(TListItem) unsigned char Slots[ItemsPerBlock * sizeof(TListItem)];
  };

  TCustomListView *FOwner;
  std::vector<TListItem *> FItems;
  mutable size_t FNumberedUpTo = 0;
  // While a row filter is on: the shown rows, in row order.
  bool FFiltered = false;
  std::vector<TListItem *> FShown;
  mutable size_t FShownNumberedUpTo = 0;
  std::vector<std::unique_ptr<TItemBlock>> FBlocks;
  size_t FBlockUsed = 0;
  std::vector<void *> FFreeSlots;
};
