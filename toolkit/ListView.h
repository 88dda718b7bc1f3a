#pragma once
// A list view over the common controls' list view, in owner-data mode: the rows (TListItem) live here and
// the control only knows how many there are. It asks for the texts, images and the states it does not keep
// itself (cut, drop target, overlay) when it draws a row, through virtual hooks a derived list overrides to
// compute them on demand. Selection and focus stay in the control and follow the rows when rows are
// deleted, appended or sorted.
//
// The window is a Unicode one and so is its parent, so its notifications come in their wide forms
// (LVN_GETDISPINFOW, LVN_ENDLABELEDITW, HDN_ITEMCLICKW...); texts are UTF-8 here.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/CustomDraw.h"
#include "toolkit/DrawingHold.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListColumn.h"
#include "toolkit/ListItem.h"
#include "toolkit/WinControl.h"

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };

// Directions and states of GetNextItem.
enum TSearchDirection : uint8_t { sdAll, sdAbove, sdBelow, sdLeft, sdRight };
enum TItemState : uint8_t { isNone = 0, isCut = 0x01, isDropHilited = 0x02, isFocused = 0x04, isSelected = 0x08 };
using TItemStates = uint8_t;

class TCustomListView;

using TLVNotifyEvent = std::function<void(TObject *Sender, TListItem *Item)>;
using TLVColumnClickEvent = std::function<void(TObject *Sender, TListColumn *Column)>;
// Compare < 0 when Item1 goes before Item2.
using TLVCompareEvent = std::function<void(TObject *Sender, TListItem *Item1, TListItem *Item2, int &Compare)>;
using TLVEditingEvent = std::function<void(TObject *Sender, TListItem *Item, bool &AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject *Sender, TListItem *Item, std::string &S)>;
// Painting the control (pre-paint) on Canvas(); DefaultDraw false leaves the control undrawn.
using TLVCustomDrawEvent = std::function<void(TObject *Sender, const RECT &ARect, bool &DefaultDraw)>;
// Painting one row (item pre-paint): Canvas() holds the row's font and colours; changes to them are drawn
// with; State holds CDIS_ flags; DefaultDraw false leaves the row undrawn.
using TLVCustomDrawItemEvent = std::function<void(TObject *Sender, TListItem *Item, UINT State, bool &DefaultDraw)>;
using TLVSortCompare = std::function<int(TListItem *Item1, TListItem *Item2)>;
// True for a row the control is to show.
using TLVRowFilter = std::function<bool(TListItem *Item)>;

class TIconOptions {
public:
  explicit TIconOptions(TCustomListView *owner) : FOwner(owner) {}
  // Icons are kept arranged in the icon views.
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool value);

private:
  TCustomListView *FOwner;
  bool FAutoArrange = false;
};

class TCustomListView : public TWinControl {
public:
  explicit TCustomListView(TComponent *AOwner);
  ~TCustomListView() override;

  TListItems &Items() { return FItems; }
  TListColumns &Columns() { return FColumns; }

  // Changes between the two (rows added, deleted, columns rebuilt) are shown once, at the end.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

  TViewStyle ViewStyle() const { return FViewStyle; }
  virtual void SetViewStyle(TViewStyle value);
  // Room for this many more rows is made before they are added.
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int value);
  // No label editing at all.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  // The selection is not shown while the list lacks the focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  TIconOptions &IconOptions() { return FIconOptions; }

  // Not owned; the control never destroys them.
  TImageList *SmallImages() const { return FSmallImages; }
  void SetSmallImages(TImageList *value);
  TImageList *LargeImages() const { return FLargeImages; }
  void SetLargeImages(TImageList *value);

  // Selection and focus are the control's; while there is no window, those set so far.
  int SelCount() const;
  // The first selected row, or null; setting it selects only that row (null clears the selection).
  TListItem *Selected() const;
  void SetSelected(TListItem *item);
  TListItem *ItemFocused() const;
  void SetItemFocused(TListItem *item);
  virtual void SelectAll();
  void ClearSelection();
  // The next row from start (null: from the first) in that direction having all the states.
  TListItem *GetNextItem(TListItem *start, TSearchDirection direction, TItemStates states) const;
  // The row at a client point, or null.
  TListItem *GetItemAt(int x, int y) const;

  // Sorts the rows (stable; selection and focus stay on their rows). An empty compare sorts by AlphaSort's
  // order.
  void CustomSort(const TLVSortCompare &compare);
  // The default order: OnCompare when assigned, else the rows' shown captions by the user's locale.
  void AlphaSort();

  // A view over the rows: with a filter the control shows only the rows it passes, in row order, and rows
  // added later only when they pass; Items keeps every row. Rows that stay shown keep their selection and
  // focus; hidden rows lose theirs. An empty filter shows every row again.
  void SetRowFilter(TLVRowFilter filter);
  // Tests every row again (what the filter passes changed).
  void ApplyRowFilter();
  bool RowFilterActive() const { return static_cast<bool>(FRowFilter); }
  // The rows the control shows, by their place in it.
  int ShownCount() const { return FItems.ShownCount(); }
  TListItem *ShownItem(int position) const { return FItems.ShownItem(position); }

  // A label edit is in progress.
  bool IsEditing() const;
  // The edit box of the label edit in progress, or null.
  HWND EditHandle() const;

  // The column header of the report view, or null while there is no window.
  HWND HeaderHandle() const;

  // The surface of the custom-draw events, valid while one runs.
  using TWinControl::Canvas;

  TLVNotifyEvent OnInsert;
  TLVNotifyEvent OnDeletion;
  TLVNotifyEvent OnGetImageIndex;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVCustomDrawEvent OnCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  // The selection changed (by the user or by code; one change may be told more than once).
  TNotifyEvent OnSelectionChange;

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;
  void CMColorChanged(TMessage &message) override;
  void Notification(TComponent *component, bool inserted) override;
  // The columns' widths too.
  void ChangeScale(int newPPI, int oldPPI) override;

  // Every row passes here once made (Items.Add) and before it is destroyed (Items.Delete, Clear); the bases
  // raise OnInsert and OnDeletion.
  virtual void InsertItem(TListItem *item);
  virtual void Delete(TListItem *item);
  // The text the control shows in a cell (column 0 is the caption); the base gives the caption or the
  // sub-item text.
  virtual std::string GetDisplayText(TListItem *item, int column);
  // The image the control shows for a row; the base raises OnGetImageIndex and gives ImageIndex.
  virtual int GetDisplayImage(TListItem *item);
  void GetImageIndex(TListItem *item);
  virtual void ColClick(TListColumn *column);
  // A label edit may start on item (the base: not ReadOnly and OnEditing allows it).
  virtual bool CanEdit(TListItem *item);
  // A label edit ended with a new text (cancelled edits never come here); the base raises OnEdited and
  // takes the text as the caption.
  virtual void Edit(TListItem *item, const std::string &text);
  // Whether the toolkit's own custom-draw events want to paint the control or its rows.
  virtual bool IsCustomDrawn(TCustomDrawTarget target) const;
  // The control's notifications (reflected from the parent); the base answers texts, images and states
  // on demand, label editing, column clicks and custom draw. The column header's notifications and
  // WM_DRAWITEM (it is a child window of the list view) come to ChildNotify with HeaderHandle as sender.
  virtual void CNNotify(TMessage &message);

private:
  friend class TListItems;
  friend class TListItem;
  friend class TIconOptions;

  void UpdateStyle();
  bool PassesRowFilter(TListItem *item) const { return !FRowFilter || FRowFilter(item); }
  // Tells OnSelectionChange of a state change the control reports.
  void ItemStateChanged(const NMLISTVIEW &change);
  void SetImages(TImageList *&field, TImageList *value);
  void UpdateImageLists();
  // Tells the control the row count when it differs from what it knows.
  void SyncCount();
  // The control forgets every row (and its selection) and is told the count again.
  void ForgetRows();
  TListItem *ItemOfNotification(int index) const;
  void GetDispInfo(NMLVDISPINFOW &info);
  int FindItem(const NMLVFINDITEMW &find);
  void CustomDraw(TMessage &message);
  void RedrawItem(int index) const;
  int StateMaskOf(const TListItem *item) const;
  // A row leaves the selection and focus kept while there is no window.
  void ForgetSavedState(const TListItem *item);

  TListItems FItems;
  TListColumns FColumns;
  TIconOptions FIconOptions;
  int FUpdateCount = 0;
  std::optional<TDrawingHold> FHold;
  // Rows the control knows of; it lags behind Items while updating.
  int FControlCount = 0;
  // The row the control is asking about (LVN_GETDISPINFO), -1 outside such a request.
  int FAnsweringIndex = -1;
  TViewStyle FViewStyle = vsIcon;
  int FAllocBy = 0;
  bool FReadOnly = false;
  bool FMultiSelect = false;
  bool FHideSelection = true;
  TImageList *FSmallImages = nullptr;
  TImageList *FLargeImages = nullptr;
  // Selection and focus while there is no window (set before it exists, or carried over its recreation).
  std::vector<TListItem *> FSavedSelection;
  TListItem *FSavedFocus = nullptr;
  TLVRowFilter FRowFilter;
};
