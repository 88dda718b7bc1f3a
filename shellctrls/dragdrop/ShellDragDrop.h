#pragma once
// What the shell tree and list share for dragging and dropping: the drop source of their own drags, the drop
// target they register (which hands every event to its control), the effects dragged items allow, the hover and
// scroll settings, and the one place where a drop reaches the shell.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "toolkit/ComObject.h"
#include "toolkit/Control.h"

// Every effect a drag of shell items may have: the shell's SFGAO_CANCOPY, _CANMOVE and _CANLINK bits are the
// same numbers.
constexpr DWORD kdAllDropEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Bands at the client edges where a drag scrolls (pixels at 96 dpi, scaled to the control's resolution), and
// how often it may scroll.
constexpr int ScrollMarginX = 26;
constexpr int ScrollMarginY = 20;
constexpr DWORD DragScrollInterval = 100;

// One step per axis when the client point p lies in an edge band and at least DragScrollInterval passed
// since lastCheck (which then becomes now); true when the control scrolled.
bool DragScrollAtEdges(TWinControl *control, POINT p, DWORD &lastCheck);

// How long and within what area the pointer must rest for the tree to open the node under it: the user's
// settings, read once when the controls start (these values when they cannot be read). The area is in
// pixels at 96 dpi, as a program that the system scales would see it: a control scales it to its resolution.
extern UINT HoverDelay;
extern UINT HoverWidth;
extern UINT HoverHeight;
void ReadHoverSettings();

// The drag source of both controls: the drag ends with a drop when its button is let go and is cancelled by
// Escape or by pressing another mouse button.
class TDropSource_shlvtv : public TComObject<IDropSource> {
public:
  explicit TDropSource_shlvtv(TMouseButton button);

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
  DWORD FDragButtonMask;
};

// The drop target a control registers: every call goes to the control's DoDragEnter, DoDragOver,
// DoDragLeave and DoDrop.
template <class TOwner> class TKdForwardingDropTarget : public TComObject<IDropTarget> {
public:
  explicit TKdForwardingDropTarget(TOwner *owner) : FOwner(owner) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override {
    return FOwner->DoDragEnter(data, keys, *effect, point);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD *effect) override {
    return FOwner->DoDragOver(keys, point, *effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return FOwner->DoDragLeave(); }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override {
    return FOwner->DoDrop(data, keys, *effect, point);
  }

private:
  TOwner *FOwner;
};

// The effects (DROPEFFECT_COPY, _MOVE, _LINK) items of folder allow for a drag of them: 0 for no items, every
// effect when the folder cannot tell (the drop target then decides).
DWORD ItemDragEffects(IShellFolder *folder, std::vector<LPCITEMIDLIST> items);

// The effects the dragged items allow, read from the data's "Shell IDList Array". The block comes from any
// program: when it is missing, malformed or its items cannot be asked, all three are allowed and the shell's
// target decides.
DWORD GetSourceItemEffects(IDataObject *data);

// A drop as it is handed to the shell: the shell's drop target of the item under the pointer (a folder, or
// an item with a drop handler), that item's absolute ID list (null: the desktop), and the drop's data, keys,
// screen point and the effects it may have.
struct TKdShellDrop {
  IDropTarget *Target = nullptr;
  LPCITEMIDLIST TargetIdList = nullptr;
  IDataObject *Data = nullptr;
  DWORD KeyState = 0;
  POINTL Point = {};
  DWORD *Effect = nullptr;
};

// The button bits of a drag's start: the button is up when the drop arrives, and the shell shows its drop
// menu only when it sees the right one, so the controls add them back.
constexpr DWORD DragButtons = MK_LBUTTON | MK_RBUTTON;

// A drop on target made ready: the target sees a whole enter and over first (their answers unused), and
// effect is narrowed to what the dragged items allow. Points into effect.
TKdShellDrop PrepareShellDrop(IDropTarget *target, LPCITEMIDLIST targetIdList, IDataObject *data, DWORD keys,
                              POINTL point, DWORD &effect);

// Every drop on the tree or the list reaches the shell here: the target's Drop, with the hourglass showing.
HRESULT HandDropToShell(const TKdShellDrop &drop);
