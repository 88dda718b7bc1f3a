#pragma once
// The list view the shell list is built on. It adds to the toolkit's list view:
// - a sort indicator in the report view's column header, either the header's own sort flags (common
//   controls 6.0) or an arrow drawn by the list in one of the owner-drawn display modes;
// - the custom-draw object protocol (TKdLvCustomDraw) for its rows;
// - a context-menu protocol in which the owner picks or suppresses the menu of an item
//   (OnItemContextMenu), from a right click or from the keyboard;
// - the control's background colours kept in step with Color.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "toolkit/ListView.h"
#include "toolkit/PopupMenu.h"
#include "treelist/KdLvCustomDraw.h"

enum TKdLvHeaderSortDisplayMode : uint8_t {
  // The header's own sort flags on the sort column; nothing owner-drawn.
  kdlvNone,
  // Owner-drawn: the arrow at the left edge of the sorted column, the caption after it.
  kdlvLeftAlign,
  // Owner-drawn: the arrow 5 pixels after the caption (at the right edge in a right-aligned column); with
  // common controls 6.0 the header's own sort flags instead.
  kdlvRightOfText,
  // Owner-drawn: the arrow at the right edge, the caption ending 4 pixels before it.
  kdlvRightAlign,
};

// aMenu starts as the list's PopupMenu; a handler may set another menu, or null to show none. aPos is in
// client coordinates.
using TKdLvOnItemContextMenuEvent =
    std::function<void(TObject *Sender, TListItem *aItem, POINT &aPos, TPopupMenu *&aMenu)>;
using TKdLvDrawItemEvent = std::function<void(TObject *Sender, TKdLvCustomDraw *CustomDraw, TListItem *Item)>;

// Posted by the list to itself once its window exists, to set the header formats again when the
// header's own creation is complete.
constexpr UINT WM_KDLVHEADERFORMATS = WM_USER + 100;

class TKdCustomListView : public TCustomListView {
public:
  explicit TKdCustomListView(TComponent *AOwner);
  ~TKdCustomListView() override;

  TKdLvHeaderSortDisplayMode HeaderSortDisplayMode() const { return FHeaderSortDisplayMode; }
  // Below common controls 4.70 every mode is stored as kdlvNone.
  void SetHeaderSortDisplayMode(TKdLvHeaderSortDisplayMode value);
  // The column showing the indicator; -1 for none. Only the header items of the old and the new sort
  // column are drawn again.
  int SortColumn() const { return FSortColumn; }
  void SetSortColumn(int value);
  // false: the header's HDF_SORTUP, or the owner-drawn downward arrow; true: HDF_SORTDOWN, or the upward
  // arrow.
  bool SortFlag() const { return FSortFlag; }
  void SetSortFlag(bool value);
  void SetViewStyle(TViewStyle value) override;

  // Writes the owner-draw or sort flags into every header item (report view only).
  void UpdateHeaderFormats();

  // The box of the owner-drawn arrow for a caption rectangle t.
  static RECT SortArrowRect(const RECT &t);

  // The custom-draw object of the last notification, alive until the next one.
  TKdLvCustomDraw *CurrentCustomDraw() const { return FCurrentCustomDraw.get(); }
  // A right click on an item is being turned into a context menu.
  bool ItemClickPending() const { return FItemClickPending; }
  // This list has shown (or suppressed) a menu for the current right-button click.
  bool MenuShown() const { return FMenuShown; }

  TKdLvOnItemContextMenuEvent OnItemContextMenu;
  // Called at the item pre-paint stage only.
  TKdLvDrawItemEvent OnDrawItemStage;
  // Called at every stage (the item is null outside the item stages).
  TKdLvDrawItemEvent OnDrawAnyStage;

protected:
  void CreateWnd() override;
  void WndProc(TMessage &message) override;
  void CNNotify(TMessage &message) override;
  void ChildNotify(HWND from, TMessage &message) override;
  void KeyDown(WORD &key, TShiftState shift) override;
  void CMColorChanged(TMessage &message) override;
  void CMSysColorChange(TMessage &message) override;

  // Raises the draw events for a custom-draw notification and returns the object they worked on (null
  // when none ran); result is the notification's result.
  virtual std::unique_ptr<TKdLvCustomDraw> DoCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result);
  virtual std::unique_ptr<TKdLvCustomDraw> CreateCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result);
  // The context menu of a right click (position under the pointer) or of the keyboard (position (0, 0):
  // the focused or first selected item's icon is used).
  virtual void ShowContextMenuAt(POINT pos);
  virtual void ShowItemContextMenu(POINT pos);
  // Raises OnItemContextMenu.
  virtual void DoItemContextMenu(TListItem *item, POINT &pos, TPopupMenu *&menu);

  // The canvas an owner-drawn header item is drawn on, while it is drawn.
  TCanvas &HeaderCanvas() { return FHeaderCanvas; }

private:
  void DrawHeaderItem(TMessage &message);
  void DrawHeaderItemContent(int column, const RECT &r);
  void DrawCaption(const TListColumn &column, const RECT &t);
  void DrawSortArrow(int column, const RECT &a);
  void InvalidateHeaderItem(int column);
  void PopupPlainMenu(POINT pos);
  void SendBackgroundColor();

  TCanvas FHeaderCanvas;
  TKdLvHeaderSortDisplayMode FHeaderSortDisplayMode = kdlvRightOfText;
  int FSortColumn = -1;
  bool FSortFlag = false;
  int FHeaderUpdateDepth = 0;
  std::unique_ptr<TKdLvCustomDraw> FCurrentCustomDraw;
  bool FItemClickPending = false;
  bool FMenuShown = false;
};
