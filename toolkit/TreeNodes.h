#pragma once
// The nodes of a tree view. Nodes live as long as their items: deleting an item (by a node, Clear, or a
// message sent to the window) frees its node once the deleting message has returned. When the window is
// destroyed and made again, the nodes are kept and their items inserted anew, so no node pointer dangles.
// The nodes keep the control's order among themselves (every insertion, deletion and sort passes here), so
// that walking them costs no message.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/DrawingHold.h"
#include "toolkit/TreeNode.h"

class TTreeNodes {
public:
  explicit TTreeNodes(TTreeView *owner);
  // Frees what is left without raising events (the tree clears itself first).
  ~TTreeNodes();
  TTreeNodes(const TTreeNodes &) = delete;
  TTreeNodes &operator=(const TTreeNodes &) = delete;

  TTreeView *Owner() const { return FOwner; }

  // A new last node among sibling's siblings (a top-level node when sibling is null).
  TTreeNode *Add(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data = nullptr);
  // A new first node among sibling's siblings.
  TTreeNode *AddFirst(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data = nullptr);
  // A new last child of parent (a top-level node when parent is null).
  // With hasChildren the node shows its expand button from the start (as SetHasChildren(true) would, without
  // a second message per node: many nodes are added at once when a folder opens).
  TTreeNode *AddChild(TTreeNode *parent, const std::string &text, std::unique_ptr<TObject> data = nullptr,
                      bool hasChildren = false);
  TTreeNode *AddChildFirst(TTreeNode *parent, const std::string &text, std::unique_ptr<TObject> data = nullptr);
  // A new child of parent (a top-level node when parent is null) just before before, one of its children;
  // the last child when before is null. hasChildren as for AddChild.
  TTreeNode *InsertChild(TTreeNode *parent, TTreeNode *before, const std::string &text,
                         std::unique_ptr<TObject> data = nullptr, bool hasChildren = false);
  // A new node just before sibling (the last top-level node when sibling is null).
  TTreeNode *Insert(TTreeNode *sibling, const std::string &text, std::unique_ptr<TObject> data = nullptr);

  // Deletes every node (OnDeletion for each) with one delete-item message for the root.
  void Clear();
  // All nodes of the tree.
  int Count() const;
  TTreeNode *GetFirstNode() const;
  // The node of an item of the control, or null.
  TTreeNode *GetNode(HTREEITEM item) const;
  // The node of an item handed over in a notification (its lParam, or looked up by its handle).
  TTreeNode *NodeOf(const TVITEMW &item) const;

  // Stops the control redrawing while many nodes change; nestable.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

private:
  friend class TTreeNode;
  friend class TTreeView;

  // A node as it was when its window went away, in depth-first order.
  struct TParkedNode {
    TTreeNode *Node;
    UINT State;
    int Children;
  };

  HWND Handle() const;
  // Sorts the children of parent (null: the top level) with compare.
  bool SortChildren(TTreeNode *parent, const TTVCompare &compare);
  // The node's place among its siblings, just before before (null: last), and taking it out again.
  void Link(TTreeNode *node, TTreeNode *before);
  void Unlink(TTreeNode *node);
  // The children of parent (null: the top level) in the order the control shows them.
  void ReadOrder(HWND wnd, TTreeNode *parent);
  // The control has deleted the node's item.
  void ItemDeleted(TTreeNode *node);
  // Frees the nodes whose items are gone, once no message of the tree is running any more.
  void FreeDeleted();
  // The window is going: remember the nodes and the state only the control holds.
  void Park(HWND wnd);
  // The window is back: insert the remembered nodes again.
  void Restore(HWND wnd);
  void DeleteParked();

  TTreeView *FOwner;
  TTreeNode *FFirst = nullptr;
  TTreeNode *FLast = nullptr;
  int FUpdateCount = 0;
  std::optional<TDrawingHold> FHold;
  std::vector<TParkedNode> FParked;
  TTreeNode *FParkedSelection = nullptr;
  std::vector<TTreeNode *> FDeleted;
};

// BeginUpdate for the lifetime of the object, EndUpdate on every way out.
class TTreeUpdateScope {
public:
  explicit TTreeUpdateScope(TTreeNodes &nodes) : FNodes(nodes) { FNodes.BeginUpdate(); }
  ~TTreeUpdateScope() { FNodes.EndUpdate(); }
  TTreeUpdateScope(const TTreeUpdateScope &) = delete;
  TTreeUpdateScope &operator=(const TTreeUpdateScope &) = delete;

private:
  TTreeNodes &FNodes;
};
