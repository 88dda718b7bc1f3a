#pragma once
// The tree view base of the shell tree: custom drawing through a TKdTvCustomDraw object, node images
// computed on request by virtual hooks, and a context menu per node (OnNodeContextMenu) for the mouse and
// the keyboard alike.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>

#include "toolkit/PopupMenu.h"
#include "toolkit/TreeView.h"
#include "treelist/KdTvCustomDraw.h"

// aNode is null for a menu asked for away from any node; aPos (client coordinates) and aMenu (initially the
// tree's PopupMenu) may be changed; a null aMenu shows nothing.
using TKdTvOnNodeContextMenuEvent =
    std::function<void(TObject *Sender, TTreeNode *aNode, POINT &aPos, TPopupMenu *&aMenu)>;
// aNode is the item being drawn, null at the control-wide stages.
using TKdTvCustomDrawEvent = std::function<void(TObject *Sender, TKdTvCustomDraw *aCD, TTreeNode *aNode)>;

class TKdCustomTreeView : public TTreeView {
public:
  explicit TKdCustomTreeView(TComponent *AOwner);
  ~TKdCustomTreeView() override;

  // The draw object of the latest custom-draw notification (null when no draw event ran); it stays valid
  // until the next one, so a handler may keep drawing with it during its paint stage.
  TKdTvCustomDraw *CurrentCustomDraw() const { return FCurrentCustomDraw.get(); }
  // A node menu was shown (or a handler replaced the menu) for the current right click.
  bool MenuShown() const { return FMenuShown; }

  // The menu of the selected node at the middle of its label, or PopupMenu at the top-left corner when no
  // node is selected.
  virtual void ShowKeyboardContextMenu();
  // The menu for node (may be null) at pos, in client coordinates.
  virtual void ShowNodeContextMenu(TTreeNode *node, POINT pos);

  TKdTvOnNodeContextMenuEvent OnNodeContextMenu;
  // Called at the item pre-paint stage only.
  TKdTvCustomDrawEvent OnDrawItemStage;
  // Called at every stage.
  TKdTvCustomDrawEvent OnDrawAnyStage;

protected:
  void CreateParams(TCreateParams &params) override;
  void WndProc(TMessage &message) override;
  void CMSysColorChange(TMessage &message) override;
  void KeyDown(WORD &key, TShiftState shift) override;
  void KeyUp(WORD &key, TShiftState shift) override;

  // Runs the draw events for one notification and applies their changes to result; returns the draw
  // object (null when no event ran).
  virtual std::unique_ptr<TKdTvCustomDraw> DoCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result);
  virtual std::unique_ptr<TKdTvCustomDraw> CreateCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result);
  // Raises OnNodeContextMenu.
  virtual void DoNodeContextMenu(TTreeNode *node, POINT &pos, TPopupMenu *&menu);

private:
  void NodeImagesOnDemand(TMessage &message);
  void RightClick();
  void ContextMenuMessage(TMessage &message);
  void RightButtonUp(TMessage &message);
  void PopupAt(TPopupMenu *menu, POINT pos);

  std::unique_ptr<TKdTvCustomDraw> FCurrentCustomDraw;
  bool FMenuShown = false;
  // The context-menu key whose release is swallowed too.
  WORD FContextKey = 0;
};
