#include "toolkit/TreeNode.h"

#include <cstring>

#include "toolkit/SysUtils.h"
#include "toolkit/TreeNodes.h"
#include "toolkit/TreeView.h"

namespace {

// The focus-rectangle state bit, which MinGW's headers do not name.
constexpr UINT kStateFocused = 0x0001;

} // namespace

TTreeNode::TTreeNode(TTreeNodes *owner, TTreeNode *parent, std::string text, std::unique_ptr<TObject> data)
    : FOwner(owner), FParent(parent), FText(std::move(text)), FData(std::move(data)) {}

TTreeView *TTreeNode::TreeView() const { return FOwner->Owner(); }

HWND TTreeNode::Window() const { return FOwner->Handle(); }

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode *node = FParent; node; node = node->FParent)
    ++level;
  return level;
}

UINT TTreeNode::State(UINT mask) const {
  HWND wnd = Window();
  return static_cast<UINT>(SendMessageW(wnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), mask));
}

void TTreeNode::SetState(UINT mask, UINT state) {
  HWND wnd = Window();
  TVITEMW item = {};
  item.mask = TVIF_HANDLE | TVIF_STATE;
  item.hItem = FItemId;
  item.stateMask = mask;
  item.state = state;
  SendMessageW(wnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::RedrawImages() {
  if (!FItemId || !FOwner->Owner()->HandleAllocated())
    return;
  // Set the callbacks again: the control forgets the images it has and asks anew when it draws.
  TVITEMW item = {};
  item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = FItemId;
  item.iImage = I_IMAGECALLBACK;
  item.iSelectedImage = I_IMAGECALLBACK;
  SendMessageW(FOwner->Owner()->WindowHandle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string &value) {
  if (value == FText)
    return;
  FText = value;
  if (!FItemId || !FOwner->Owner()->HandleAllocated())
    return;
  std::wstring text = Utf8ToWide(FText);
  TVITEMW item = {};
  item.mask = TVIF_HANDLE | TVIF_TEXT;
  item.hItem = FItemId;
  item.pszText = text.data();
  SendMessageW(FOwner->Owner()->WindowHandle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetImageIndex(int value) {
  if (value == FImageIndex)
    return;
  FImageIndex = value;
  RedrawImages();
}

void TTreeNode::SetSelectedIndex(int value) {
  if (value == FSelectedIndex)
    return;
  FSelectedIndex = value;
  RedrawImages();
}

void TTreeNode::SetOverlayIndex(int value) {
  FOverlayIndex = value;
  SetState(TVIS_OVERLAYMASK, value >= 0 ? INDEXTOOVERLAYMASK(value + 1) : 0);
}

void TTreeNode::SetHasChildren(bool value) {
  FHasChildren = value;
  HWND wnd = Window();
  TVITEMW item = {};
  item.mask = TVIF_HANDLE | TVIF_CHILDREN;
  item.hItem = FItemId;
  item.cChildren = value ? 1 : 0;
  SendMessageW(wnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::Cut() const { return State(TVIS_CUT) != 0; }

void TTreeNode::SetCut(bool value) { SetState(TVIS_CUT, value ? TVIS_CUT : 0); }

bool TTreeNode::Expanded() const { return State(TVIS_EXPANDED) != 0; }

void TTreeNode::SetExpanded(bool value) {
  if (value)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNode::Expand(bool recurse) {
  SendMessageW(Window(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
  if (recurse)
    for (TTreeNode *child = GetFirstChild(); child; child = child->GetNextSibling())
      child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (TTreeNode *child = GetFirstChild(); child; child = child->GetNextSibling())
      child->Collapse(true);
  SendMessageW(Window(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
}

bool TTreeNode::DropTarget() const { return State(TVIS_DROPHILITED) != 0; }

void TTreeNode::SetDropTarget(bool value) {
  if (value)
    FOwner->Owner()->SetDropTarget(this);
  else if (DropTarget())
    FOwner->Owner()->SetDropTarget(nullptr);
}

bool TTreeNode::Selected() const { return State(TVIS_SELECTED) != 0; }

void TTreeNode::SetSelected(bool value) {
  if (value)
    FOwner->Owner()->SetSelected(this);
  else if (FOwner->Owner()->Selected() == this)
    FOwner->Owner()->SetSelected(nullptr);
}

bool TTreeNode::Focused() const { return State(kStateFocused) != 0; }

TTreeNode *TTreeNode::GetNext() const {
  if (TTreeNode *child = GetFirstChild())
    return child;
  for (const TTreeNode *node = this; node; node = node->FParent)
    if (TTreeNode *sibling = node->GetNextSibling())
      return sibling;
  return nullptr;
}

int TTreeNode::Count() const {
  int count = 0;
  for (TTreeNode *child = GetFirstChild(); child; child = child->GetNextSibling())
    ++count;
  return count;
}

TTreeNode *TTreeNode::Item(int index) const {
  TTreeNode *child = GetFirstChild();
  while (child && index-- > 0)
    child = child->GetNextSibling();
  return index < 0 ? child : nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode *node) const {
  for (TTreeNode *parent = FParent; parent; parent = parent->FParent)
    if (parent == node)
      return true;
  return false;
}

void TTreeNode::Delete() {
  HWND wnd = Window();
  SendMessageW(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(FItemId));
}

void TTreeNode::DeleteChildren() {
  TTreeUpdateScope update(*FOwner);
  while (TTreeNode *child = GetFirstChild())
    child->Delete();
}

RECT TTreeNode::DisplayRect(bool textOnly) const {
  HWND wnd = Window();
  // The message takes the item in the rectangle's first bytes.
  RECT rect = {};
  std::memcpy(&rect, &FItemId, sizeof FItemId);
  if (!SendMessageW(wnd, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect)))
    return RECT{};
  return rect;
}

bool TTreeNode::EditText() {
  HWND wnd = Window();
  // The control edits labels only while it has the focus.
  if (GetFocus() != wnd)
    SetFocus(wnd);
  return SendMessageW(wnd, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::MakeVisible() { SendMessageW(Window(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId)); }

bool TTreeNode::CustomSort(const TTVCompare &compare, bool recurse) {
  // Nothing to sort (the control reports a childless item as a failure).
  if (!GetFirstChild())
    return true;
  bool sorted = FOwner->SortChildren(this, compare);
  if (recurse)
    for (TTreeNode *child = GetFirstChild(); child; child = child->GetNextSibling())
      sorted = child->CustomSort(compare, true) && sorted;
  return sorted;
}
