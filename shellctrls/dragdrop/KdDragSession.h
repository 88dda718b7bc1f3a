#pragma once
// The drag and drop of a shell control, the one flow the tree and the list share: the control's own drag (its
// fills and refreshes held until it ends), the drop target it registers, and every event of a drag over it
// handed to the shell's drop target of the item under the pointer. What is the control's own (which item lies
// under a point and what drop target it has, what is highlighted, how it scrolls) it answers through
// IKdDropHost; TItem is its item type (a tree node, a list row).
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstdint>

#include "shellctrls/dragdrop/ShellDragDrop.h"
#include "toolkit/ComPtr.h"

class TKdRefreshGate;
class TWinControl;

enum class TKdDragEvent : uint8_t { Enter, Over, Drop };

// Where a drag event over a control lands.
template <class TItem> struct TKdDropPlace {
  // The drop target there (the shell's, or the program's own where it transfers files itself); null: nothing
  // there takes the drag.
  ComPtr<IDropTarget> Target;
  // The absolute list of the item or folder the target belongs to (null: the desktop).
  LPCITEMIDLIST IdList = nullptr;
  // Shown as the drop target while the target takes the drag, and while it does not.
  TItem *Highlight = nullptr;
  TItem *HighlightRefused = nullptr;
  // The control answered the event itself with Effect: no target is asked and nothing scrolls.
  bool Answered = false;
  DWORD Effect = DROPEFFECT_NONE;
};

template <class TItem> class IKdDropHost {
public:
  virtual TWinControl &DropControl() = 0;
  // Where an event at a client point lands. A drop may narrow effect (the control's own items on itself).
  virtual TKdDropPlace<TItem> DropPlaceAt(POINT client, DWORD keys, TKdDragEvent event, DWORD &effect) = 0;
  virtual TItem *DropHighlight() const = 0;
  virtual void SetDropHighlight(TItem *item) = 0;
  // The pointer moved over the control in a drag: it scrolls near its edges (and may open what it rests on).
  virtual void DragAutoScroll(POINT client) = 0;
  // Where a drop reaches the drop target.
  virtual HRESULT DropOnShellTarget(const TKdShellDrop &drop) = 0;
  // Something was dropped on the control: it brings itself up to date.
  virtual void DropDone() = 0;

protected:
  ~IKdDropHost() = default;
};

template <class TItem> class TKdDragSession {
public:
  TKdDragSession(IKdDropHost<TItem> &host, TKdRefreshGate &gate) : FHost(host), FGate(gate) {}
  ~TKdDragSession() { Revoke(); }
  TKdDragSession(const TKdDragSession &) = delete;
  TKdDragSession &operator=(const TKdDragSession &) = delete;

  // ---- The control's own drag
  // Drags data out of the control with source, allowing allowed; the gate holds fills and refreshes until the
  // drag ends, and then runs them, with a refresh after a drop. True when the drag ended in a drop.
  bool Run(ComPtr<IDataObject> data, DWORD allowed, ComPtr<IDropSource> source);
  // The control's own drag runs.
  bool Running() const { return static_cast<bool>(FOwnData); }

  // ---- Drops on the control
  // Registers target for the control's window (nothing without a window or with a target registered).
  void Register(ComPtr<IDropTarget> target);
  void Revoke();
  bool Registered() const { return static_cast<bool>(FRegistered); }

  // A drag over the control, as its drop target hands it on; points in screen coordinates. Every event sees a
  // drop target fetched for it alone, which gets a whole enter-over-leave of its own: none is kept between
  // events.
  HRESULT Enter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);
  HRESULT Over(DWORD keys, POINTL point, DWORD &effect);
  HRESULT Leave();
  HRESULT Drop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);

  // The key state the drag over the control entered with.
  DWORD EnterKeys() const { return FEnterKeys; }
  // The tick of the last edge-scroll check (set when a drag enters).
  DWORD &LastScrollCheck() { return FLastScrollCheck; }

private:
  POINT ClientPoint(POINTL screen);
  void Show(const TKdDropPlace<TItem> &place, DWORD effect);

  IKdDropHost<TItem> &FHost;
  TKdRefreshGate &FGate;
  ComPtr<IDataObject> FOwnData;
  ComPtr<IDropTarget> FRegistered;
  HWND FRegisteredWindow = nullptr;
  ComPtr<IDataObject> FDragData;
  DWORD FEnterKeys = 0;
  DWORD FLastScrollCheck = 0;
};

class TTreeNode;
class TListItem;
extern template class TKdDragSession<TTreeNode>;
extern template class TKdDragSession<TListItem>;
