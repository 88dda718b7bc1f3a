#pragma once
// The tree view control (a Unicode window superclassing the common controls' tree view) with its nodes.
// Node texts and images are given to the control on request; the control's notifications reach the
// virtual hooks below (Change, CanExpand, Edit, Delete, GetImageIndex, ...), which raise the events.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/CustomDraw.h"
#include "toolkit/ImageList.h"
#include "toolkit/Timer.h"
#include "toolkit/TreeNode.h"
#include "toolkit/TreeNodes.h"
#include "toolkit/WinControl.h"

// Manual: the control starts no drag of its own (TVS_DISABLEDRAGDROP); automatic: it reports drags begun
// on its nodes.
enum TDragMode : uint8_t { dmManual, dmAutomatic };

using TTVChangedEvent = std::function<void(TObject *Sender, TTreeNode *Node)>;
using TTVChangingEvent = std::function<void(TObject *Sender, TTreeNode *Node, bool &AllowChange)>;
using TTVExpandingEvent = std::function<void(TObject *Sender, TTreeNode *Node, bool &AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject *Sender, TTreeNode *Node, bool &AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject *Sender, TTreeNode *Node)>;
using TTVEditingEvent = std::function<void(TObject *Sender, TTreeNode *Node, bool &AllowEdit)>;
// S is the entered text; the handler may change it before it becomes the node's text.
using TTVEditedEvent = std::function<void(TObject *Sender, TTreeNode *Node, std::string &S)>;
// Painting the control (pre-paint) on Canvas(); DefaultDraw false leaves the control undrawn.
using TTVCustomDrawEvent = std::function<void(TObject *Sender, const RECT &ARect, bool &DefaultDraw)>;
// Painting one item (item pre-paint): Canvas() holds the item's font and colours; changes to them are
// drawn with; State holds CDIS_ flags; DefaultDraw false leaves the item undrawn.
using TTVCustomDrawItemEvent = std::function<void(TObject *Sender, TTreeNode *Node, UINT State, bool &DefaultDraw)>;

class TTreeView : public TWinControl {
public:
  explicit TTreeView(TComponent *AOwner);
  // Deletes the nodes (OnDeletion for each) and then the window.
  ~TTreeView() override;

  TTreeNodes &Items() { return FItems; }

  TTreeNode *Selected();
  void SetSelected(TTreeNode *node);
  // The drop-highlighted node, or null.
  TTreeNode *DropTarget();
  void SetDropTarget(TTreeNode *node);
  // The node whose row holds the client point, or null.
  TTreeNode *GetNodeAt(int x, int y);
  bool IsEditing();
  // Sorts the top-level nodes (with recurse, every level) by compare.
  bool CustomSort(const TTVCompare &compare, bool recurse = true);

  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value);
  // Lines and buttons at the top level too.
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool value);
  // Labels cannot be edited in place.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // The selection is not shown while the control lacks the focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  // Selecting a node expands it and collapses the one selected before.
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  // Tooltips for labels cut off by the edge; the window is made again when this changes.
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool value);
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode value);
  // A right click selects the node under the pointer.
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool value) { FRightClickSelect = value; }
  // Milliseconds the selection must rest before Change (and OnChange) runs; 0 runs it at once.
  int ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(int value) { FChangeDelay = value; }
  // Pixels a child is indented from its parent.
  int Indent() const { return FIndent; }
  void SetIndent(int value);

  // Not owned; the control follows a list whose handle is replaced and lets go of one that is destroyed.
  TImageList *Images() const { return FImages; }
  void SetImages(TImageList *value);
  TImageList *StateImages() const { return FStateImages; }
  void SetStateImages(TImageList *value);

  // The surface OnCustomDraw and OnCustomDrawItem draw on; valid only during those events.
  using TWinControl::Canvas;

  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVChangedEvent OnDeletion;
  // Asked before the control draws a node's image; the handler may set the node's ImageIndex.
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  void WndProc(TMessage &message) override;
  void Notification(TComponent *component, bool inserted) override;
  void CMColorChanged(TMessage &message) override;
  void CMSysColorChange(TMessage &message) override;
  void FontChanged() override;
  // The indent too.
  void ChangeScale(int newPPI, int oldPPI) override;

  // May the label be edited: not ReadOnly, and OnEditing agrees.
  virtual bool CanEdit(TTreeNode *node);
  // Label editing ended; text is empty when it was cancelled. Otherwise OnEdited may change the text,
  // which then becomes the node's.
  virtual void Edit(TTreeNode *node, const std::optional<std::string> &text);
  virtual bool CanChange(TTreeNode *node);
  // The selection moved to node (null when nothing is selected any more).
  virtual void Change(TTreeNode *node);
  virtual bool CanExpand(TTreeNode *node);
  virtual void Expand(TTreeNode *node);
  virtual bool CanCollapse(TTreeNode *node);
  virtual void Collapse(TTreeNode *node);
  // The node's item is being deleted; raises OnDeletion. The node object is freed afterwards.
  virtual void Delete(TTreeNode *node);
  // The control is about to draw the node's image (selected image): raise the event that may set it.
  virtual void GetImageIndex(TTreeNode *node);
  virtual void GetSelectedIndex(TTreeNode *node);
  // Whether the toolkit's own custom-draw events paint the target (OnCustomDraw, OnCustomDrawItem).
  virtual bool IsCustomDrawn(TCustomDrawTarget target) const;

  // Answers the image fields item asks for from the hooks (GetImageIndex, GetSelectedIndex).
  void SupplyImages(TTreeNode *node, TVITEMW &item);
  // The node under the mouse pointer, with the pointer's place in client coordinates.
  TTreeNode *NodeAtCursor(POINT &client);

private:
  friend class TTreeNodes;

  // Every message of the window runs counted, so nodes whose items the control deleted are freed only
  // once no message of the tree is in progress (a handler deeper down may still hold them).
  struct TDispatchScope;

  void SetStyleBit(DWORD bit, bool on);
  void HandleNotify(TMessage &message);
  void GetDispInfo(NMTVDISPINFOW &info);
  void CustomDrawNotify(TMessage &message);
  void SelectionChanged(TTreeNode *node);
  void ChangeTimerTick();
  void SendImageList(int kind, TImageList *list);
  void AttachImageList(TImageList *&slot, TImageList *value, int kind);

  TTreeNodes FItems;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  bool FAutoExpand = false;
  bool FRowSelect = false;
  bool FHotTrack = false;
  bool FToolTips = true;
  TDragMode FDragMode = dmManual;
  bool FRightClickSelect = false;
  int FChangeDelay = 0;
  int FIndent = 19;
  TImageList *FImages = nullptr;
  TImageList *FStateImages = nullptr;
  TTimer *FChangeTimer = nullptr;
  int FDispatchDepth = 0;
  // While set, notifications raise no hooks: the window is going, or its nodes are being put back.
  bool FWindowGoing = false;
  int FQuiet = 0;
};
