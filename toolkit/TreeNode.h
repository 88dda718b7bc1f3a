#pragma once
// One node of a tree view. The node object is its item's lParam. The control keeps the node's text (it
// measures every text it shows, and asking for each by a message costs more than the copy) and asks for the
// images when it draws them. The node knows its place among its relatives itself, so walking the tree sends
// no message; the window-side state (expanded, cut, drop highlight, selection) lives in the control and is
// read from it.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/Component.h"

class TTreeNode;
class TTreeNodes;
class TTreeView;

// Order of two nodes for sorting: negative when node1 comes first, 0 when equal, positive otherwise.
using TTVCompare = std::function<int(TTreeNode *node1, TTreeNode *node2)>;

class TTreeNode {
public:
  TTreeNode(const TTreeNode &) = delete;
  TTreeNode &operator=(const TTreeNode &) = delete;

  TTreeNodes *Owner() const { return FOwner; }
  TTreeView *TreeView() const;
  // The control's item; null only while the tree's window is being made again.
  HTREEITEM ItemId() const { return FItemId; }
  TTreeNode *Parent() const { return FParent; }
  // 0 for a top-level node.
  int Level() const;
  // True from the deletion notification on (OnDeletion sees it set).
  bool Deleting() const { return FDeleting; }

  const std::string &Text() const { return FText; }
  void SetText(const std::string &value);
  // The tree user's object for the node, owned by the node: it goes with the node (after the tree's Delete
  // hook has seen it) or when another takes its place.
  TObject *Data() const { return FData.get(); }
  void SetData(std::unique_ptr<TObject> value) { FData = std::move(value); }
  // Indexes into the tree's Images; OverlayIndex -1 is none, 0 the list's first overlay image.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int value);

  // The expand button: shown while set, whether or not child nodes exist yet; a node with children has one.
  bool HasChildren() const { return FHasChildren || FFirstChild; }
  void SetHasChildren(bool value);
  // Drawn dimmed, as an item marked for a move.
  bool Cut() const;
  void SetCut(bool value);
  bool Expanded() const;
  void SetExpanded(bool value);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool DropTarget() const;
  void SetDropTarget(bool value);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;

  // Children, in the control's order.
  int Count() const;
  TTreeNode *Item(int index) const;
  TTreeNode *GetFirstChild() const { return FFirstChild; }
  TTreeNode *GetLastChild() const { return FLastChild; }
  TTreeNode *GetNextSibling() const { return FNextSibling; }
  TTreeNode *GetPrevSibling() const { return FPrevSibling; }
  // The next node of a depth-first walk of the whole tree.
  TTreeNode *GetNext() const;
  bool HasAsParent(const TTreeNode *node) const;

  // Deletes the node with its subtree (OnDeletion for each); the object is gone afterwards.
  void Delete();
  void DeleteChildren();

  // The node's row, or with textOnly its label, in client coordinates; empty when it is not shown.
  RECT DisplayRect(bool textOnly) const;
  // Starts editing the label in place; false when the tree refused.
  bool EditText();
  // Expands the ancestors and scrolls the node into view.
  void MakeVisible();
  // Sorts the children (with recurse, the whole subtree) by compare.
  bool CustomSort(const TTVCompare &compare, bool recurse = false);

private:
  friend class TTreeNodes;
  friend class TTreeView;

  TTreeNode(TTreeNodes *owner, TTreeNode *parent, std::string text, std::unique_ptr<TObject> data);
  ~TTreeNode() = default;

  // The tree's window, made again when it has gone (which gives this node its item back).
  HWND Window() const;
  UINT State(UINT mask) const;
  void SetState(UINT mask, UINT state);
  // Tells the control the node's images have changed: it asks for them again when it draws.
  void RedrawImages();

  TTreeNodes *FOwner;
  TTreeNode *FParent;
  TTreeNode *FFirstChild = nullptr;
  TTreeNode *FLastChild = nullptr;
  TTreeNode *FPrevSibling = nullptr;
  TTreeNode *FNextSibling = nullptr;
  HTREEITEM FItemId = nullptr;
  std::string FText;
  std::unique_ptr<TObject> FData;
  int FImageIndex = 0;
  int FSelectedIndex = 0;
  int FOverlayIndex = -1;
  bool FDeleting = false;
  bool FHasChildren = false;
};
