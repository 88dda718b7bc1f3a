#pragma once
// TKdCustomShellTree: a tree of shell folders under one root (BaseFolder, by default the desktop). A folder's
// children are enumerated the first time it is expanded; RefreshNodes brings every loaded folder up to date
// without losing the user's place, and with kdstoDynamicRefresh the tree does so by itself after changes on
// disk. The selected node's folder is CurrentFolder; setting CurrentFolder walks the tree to it.
//
// A linked list (ShellList) shows the selected folder: at once after a click or a move made by code, and
// 500 ms after the last move by the arrow keys, so that running through folders with the keyboard does not
// fill the list for every folder passed. TKdShellTree is the class the program places.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "shellctrls/KdOptionSet.h"
#include "shellctrls/KdRefreshGate.h"
#include "shellctrls/KdShAddItemEvent.h"
#include "shellctrls/KdShellLocator.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/commands/KdShellContextMenu.h"
#include "shellctrls/dragdrop/KdDragSession.h"
#include "shellctrls/tree/KdShTreeData.h"
#include "toolkit/ImageList.h"
#include "toolkit/Timer.h"
#include "treelist/KdCustomTreeView.h"

class TKdChangeWatch;
class TKdCustomShellList;
struct TKdMessage;

enum TKdShellTreeOption : uint8_t {
  kdstoAutoFill,           // fill when the window is made, and again when BaseFolder changes
  kdstoVirtualFolders,     // show items outside the file system (Control Panel, Printers)
  kdstoDesignInteractive,  // for a form designer; no effect in the program
  kdstoDefaultKeyHandling, // rename, refresh, cut, copy, paste and delete keys act on the selected node
  kdstoContextMenus,       // a right click shows the item's shell context menu
  kdstoDynamicRefresh,     // watch the drives and refresh after changes
  kdstoIncludeNonFolders,  // show files too
  kdstoOleDrag,            // nodes can be dragged out
  kdstoOleDrop,            // the tree takes drops
  kdstoShowHidden,         // show hidden items
};

using TKdShellTreeOptions = TKdOptionSet<TKdShellTreeOption>;

constexpr TKdShellTreeOptions kdDefaultShellTreeOptions = TKdShellTreeOptions::FromBits(0x3BB);

// Private messages of the tree's window.
constexpr UINT WM_KDCHANGENOTIFY = WM_USER + 101; // the change thread saw a change (wParam: its slot)
constexpr UINT WM_KDDEFERREDFILL = WM_USER + 103; // fill once the window exists, from the message loop

using TKdShTreeDeleteItemEvent = std::function<void(TObject *aSender, TTreeNode *aNode, TKdShTreeData *aShTreeData)>;
using TKdShTreeInsertItemEvent = std::function<void(TObject *aSender, TTreeNode *aNode)>;
// aNode and aData are null at the control-wide stages and for nodes that are no shell nodes.
using TKdShTvCustomDrawEvent =
    std::function<void(TObject *aSender, TKdCustomDraw *aCD, TTreeNode *aNode, TKdShTreeData *aData)>;

class TKdCustomShellTree : public TKdCustomTreeView,
                           public IKdShellTreeLink,
                           public IKdDropHost<TTreeNode>,
                           public TKdWheelPeer {
public:
  explicit TKdCustomShellTree(TComponent *AOwner);
  ~TKdCustomShellTree() override;

  // The node's shell data, or null when it is no shell node.
  static TKdShTreeData *ShellData(TTreeNode *node);

  // Discards every node and builds the tree again: the root, its children, and the way to CurrentFolder.
  // While the tree is busy (its menu, its drag, a label edit) the fill waits for the end.
  void FillTree();
  // Enumerates folder into node; with a null node, the root is made first.
  virtual void FillNode(IShellFolder *folder, TTreeNode *node);
  // Adds child (relative to folder, whose absolute list is parentAbsIdList) under parent, unless the options
  // or OnAddItem leave it out (S_OK either way); a failing attribute query is returned. The node takes the
  // list over.
  virtual HRESULT AddChildItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, TKdIdListPtr child,
                               TTreeNode *parent);
  // Sorts node's children (not deeper) in their folder's order; null sorts the whole tree.
  void SortChildren(TTreeNode *node);
  // Expands the tree along an absolute list and selects the deepest node reached; items the options left out
  // are added on the way. Beeps when the way cannot go on.
  void SelectIdList(LPCITEMIDLIST list) override;
  // Brings every loaded folder up to date: vanished nodes go (the selection moves up out of them), new
  // items come in sorted, every other node stays as it was. Waits while the tree is busy.
  void RefreshNodes();
  // Watches what the tree shows for changes: the base folder's subtree when it is in the file system,
  // otherwise every fixed, RAM and connected network drive.
  virtual void StartWatching();
  // Watches the drive of path (its whole subtree); null ends every watch.
  virtual void WatchDrive(const char *path);

  // Goes up levels ancestors from the selected node (stopping at the root), updating at once.
  void GoUp(int levels) override;
  // File-system path of the selected node, "" when it is virtual or none is selected.
  std::string GetSelectedPath();
  TTreeNode *FirstShellNode();
  // The window that owns shell dialogs raised for the tree (null while they must not appear).
  HWND ParentWindowHandle();

  // The folder of the selected node. Setting it (or its path) selects that folder.
  TKdShellLocator &CurrentFolder() override { return FCurrentFolder; }
  void SetCurrentFolder(TKdShellLocator *value);
  void SetCurrentPath(const std::string &path);

  // The root; the desktop by default.
  TKdShellLocator &BaseFolder() { return FBaseFolder; }
  void SetBaseFolder(TKdShellLocator *value);

  // The list that shows the selected folder (not owned; the link goes when the list does). Linking points
  // the list at CurrentFolder.
  TKdCustomShellList *ShellList() const { return FShellList; }
  void SetShellList(TKdCustomShellList *value);
  // The selected node becomes the list's folder now, when the tree was still holding that back after
  // arrow-key moves.
  void FlushChange() override;

  TKdShellTreeOptions Options() const { return FOptions; }
  void SetOptions(TKdShellTreeOptions value);

  // Runs the shell's command carrying verb ("cut", "copy", "paste", "delete") on node's item, then
  // refreshes the tree; the command's HRESULT. S_FALSE, doing nothing, for a node without a parent (the
  // root) or one that is no shell node. Raises EOleError when the item has no context menu.
  HRESULT InvokeVerb(TTreeNode *node, const std::string &verb);
  // The shell's context menu of node's item at pos (client coordinates), run to the chosen command; none
  // for the desktop root or a node that is no shell node.
  virtual void ShowShellContextMenu(TTreeNode *node, POINT pos);
  // The shell's menu object while its context menu is shown, else null.
  IContextMenu *ActiveContextMenu() const { return FContextMenu.Active(); }
  // When the tree brings itself up to date: changes on disk, and fills and refreshes held while it is busy.
  TKdRefreshGate &RefreshGate() { return FGate; }
  // A context menu, a drag begun here or a label edit is running: fills and refreshes wait for its end.
  bool Busy() const { return FGate.Busy(); }
  // A fill or refresh was asked for while the tree was busy.
  bool RefreshPending() const { return FGate.Held() != TKdHeldWork::None; }

  // A notch goes to the shell tree or list under the pointer, even one without the focus.
  bool DoMouseWheelDown(TShiftState shift, POINT mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, POINT mousePos) override;

  // The most recently added node (reset when it goes).
  TTreeNode *LastInsertedNode() const { return FLastInsertedNode; }

  TKdShAddItemEvent OnAddItem;
  // Raised before a node goes with its data.
  TKdShTreeDeleteItemEvent OnDeleteItem;
  // Raised once a node has its data.
  TKdShTreeInsertItemEvent OnInsertItem;
  // OnCustomDrawSh at the item pre-paint stage, OnCustomDrawShEx at every stage.
  TKdShTvCustomDrawEvent OnCustomDrawSh;
  TKdShTvCustomDrawEvent OnCustomDrawShEx;
  // The help text of the shell command highlighted in the control's context menu ("" for anything else).
  TKdShPopupHintEvent OnPopupHint;
  // Around every fill and refresh.
  TNotifyEvent OnFillStart;
  TNotifyEvent OnFillComplete;

  // ---- Dragging and dropping ----
  // Drags DragNode out of the tree with the button (the notifications that start a drag call this).
  void StartOleDrag(TMouseButton button);
  // The effects the node's folder allows for dragging it: copy, move, link (all three when it cannot tell).
  DWORD GetDragEffects(TTreeNode *node);
  // The node being dragged out of the tree; null when the tree's own drag does not run.
  TTreeNode *DragNode() const { return FDragNode; }
  // A drag over the tree: every event is handed to the shell's drop target of the node under the pointer,
  // fetched afresh for each event. Points are in screen coordinates.
  virtual HRESULT DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);
  virtual HRESULT DoDragOver(DWORD keys, POINTL point, DWORD &effect);
  virtual HRESULT DoDragLeave();
  virtual HRESULT DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);
  // Scrolls when the pointer rests near an edge (a step per axis at most every DragScrollInterval) and
  // opens the node the pointer has rested on for the hover time.
  void DragAutoScroll(POINT clientPoint) override;

  TComponent *LinkComponent() override { return this; }
  bool AbsIdListOf(TTreeNode *node, LPCITEMIDLIST &absIdList) override;

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  // The image list too: the system's of the icon size for the new resolution.
  void ChangeScale(int newPPI, int oldPPI) override;
  void Notification(TComponent *component, bool inserted) override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;

  // A shell node's label may be edited when its item can be renamed; the edit box then holds the name as
  // the shell wants it typed (which may show an extension the label hides).
  bool CanEdit(TTreeNode *node) override;
  // Renames a shell node's item through the shell to the typed name, trimmed and whole; a name the shell
  // refuses leaves the node as it was.
  void Edit(TTreeNode *node, const std::optional<std::string> &text) override;
  // The default keys (kdstoDefaultKeyHandling): rename, refresh, cut, copy, paste, delete (Shift+Del too).
  void KeyDown(WORD &key, TShiftState shift) override;
  // Every key while a label is being edited: Enter and Escape end the edit, not a form's buttons.
  bool WantSpecialKey(WORD key, TShiftState shift) override;
  // With kdstoContextMenus, the shell's context menu of the node instead of any popup menu.
  void DoNodeContextMenu(TTreeNode *node, POINT &pos, TPopupMenu *&menu) override;
  void MenuMessage(TMessage &message) override;
  // The messages of the shell's context menu while it is shown (menu initialisation, owner-drawn items,
  // selection, typed characters), after the window's own handling: where entries of the tree's own in that
  // menu are served. The base leaves them to the window.
  virtual void ShellContextMenuMessage(TMessage &message);
  // An entry of the Send To submenu (identifiers 1 to 999 of the shell's context menu, entry = identifier
  // - 1) was chosen for node: its item goes to that entry's target. Only the submenu's filling (in
  // ShellContextMenuMessage) puts such entries into the menu; the base has none to serve.
  virtual void SendNodeTo(TTreeNode *node, UINT entry);
  void Change(TTreeNode *node) override;
  bool CanExpand(TTreeNode *node) override;
  void Delete(TTreeNode *node) override;
  void GetImageIndex(TTreeNode *node) override;
  void GetSelectedIndex(TTreeNode *node) override;
  std::unique_ptr<TKdTvCustomDraw> DoCustomDraw(NMTVCUSTOMDRAW *record, LRESULT &result) override;

  virtual bool DoAddItem(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, LPCITEMIDLIST child, ULONG attributes);
  virtual void DoInsertItem(TTreeNode *node);
  virtual void DoFillStart();
  virtual void DoFillComplete();
  // A device arrived or went: the drives are read again and the tree refreshed.
  virtual void DeviceChange(TKdMessage &message);

  virtual ComPtr<IDropSource> CreateDropSource(TMouseButton button);
  // Where a drop on the tree reaches the shell.
  HRESULT DropOnShellTarget(const TKdShellDrop &drop) override;

private:
  // ChangeLock raised for the lifetime of the object.
  class TChangeLockScope {
  public:
    explicit TChangeLockScope(TKdCustomShellTree &tree) : FTree(tree) { ++FTree.FChangeLock; }
    ~TChangeLockScope() { --FTree.FChangeLock; }
    TChangeLockScope(const TChangeLockScope &) = delete;
    TChangeLockScope &operator=(const TChangeLockScope &) = delete;

  private:
    TKdCustomShellTree &FTree;
  };

  // OnFillStart now, OnFillComplete on every way out (a handler that raises there cannot unwind through a
  // destructor: the application reports it).
  class TFillScope {
  public:
    explicit TFillScope(TKdCustomShellTree &tree) : FTree(tree) { FTree.DoFillStart(); }
    ~TFillScope();
    TFillScope(const TFillScope &) = delete;
    TFillScope &operator=(const TFillScope &) = delete;

  private:
    TKdCustomShellTree &FTree;
  };

  // The drop flow's view of the tree.
  TWinControl &DropControl() override { return *this; }
  TKdDropPlace<TTreeNode> DropPlaceAt(POINT client, DWORD keys, TKdDragEvent event, DWORD &effect) override;
  TTreeNode *DropHighlight() const override;
  void SetDropHighlight(TTreeNode *node) override { SetDropTarget(node); }
  void DropDone() override { RefreshNodes(); }

  // What the refresh gate lets through.
  void RunWork(TKdHeldWork work);
  SHCONTF EnumFlags() const;
  // Takes the node as CurrentFolder (without walking the tree to it) and lets the linked list follow.
  void FollowNode(TTreeNode *node);
  // The list follows the selected node now when it still waits after arrow-key moves.
  void FollowNow();
  // A refresh first finds what changed in every loaded folder, then changes the nodes.
  struct TRefreshPlan;
  void PlanRefresh(TTreeNode *node, TRefreshPlan &plan);
  void ApplyRefresh(TRefreshPlan &plan, TTreeNode *&remembered);
  TTreeNode *FindChild(TTreeNode *node, IShellFolder *folder, LPCITEMIDLIST item);
  // The shell's small icons become the tree's images (Images), the first time nodes are to be shown.
  void ShowSystemIcons();
  // The order of two items of folder: its CompareIDs by the first column (0 when it cannot tell).
  static int CompareInFolder(IShellFolder *folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2);
  // AddChildItem, the node put in its place among parent's children (which are in the folder's order)
  // rather than last: the control is not asked to sort them all again for one new node.
  HRESULT AddChildInPlace(IShellFolder *folder, LPCITEMIDLIST parentAbsIdList, TKdIdListPtr child, TTreeNode *parent);
  void CurrentFolderChanged();
  void BaseFolderChanged();
  void RenameNode(TTreeNode *node, const std::string &typed);
  bool WheelNotch(bool down, TShiftState shift, POINT mousePos);
  void UpdateDragStyle();
  bool OleDragStyle() const;
  void BeginNodeDrag(TTreeNode *node, TMouseButton button);
  // The node's item as the program hands it to others (a drag, Send To); nothing for a root.
  ComPtr<IDataObject> NodeDataObject(TTreeNode *node);
  // The node's shell drop target (null when it has none).
  ComPtr<IDropTarget> NodeDropTarget(TTreeNode *node);
  void HoverExpand();

  TKdShellLocator FCurrentFolder;
  TKdShellLocator FBaseFolder;
  // The list's follow-up after arrow-key moves.
  TTimer *FFollowTimer = nullptr;
  std::unique_ptr<TKdChangeWatch> FChangeWatch;
  int FChangeLock = 0;
  bool FImmediateChange = false;
  int FNoOwnerWindowCount = 0;
  TTreeNode *FLastInsertedNode = nullptr;
  // Where AddChildItem puts the next node: before this child of its parent, or last when null.
  TTreeNode *FInsertBefore = nullptr;
  bool FDestroyingWindow = false;
  TImageList *FImages = nullptr;
  TKdCustomShellList *FShellList = nullptr;
  TKdShellTreeOptions FOptions = kdDefaultShellTreeOptions;

  TTreeNode *FDragNode = nullptr;
  POINT FHoverPoint = {};
  DWORD FHoverTime = 0;
  TKdRefreshGate FGate;
  TKdDragSession<TTreeNode> FDrag;
  TKdShellContextMenu FContextMenu;
};

// The shell tree as the program places it.
class TKdShellTree : public TKdCustomShellTree {
public:
  using TKdCustomShellTree::TKdCustomShellTree;
};
