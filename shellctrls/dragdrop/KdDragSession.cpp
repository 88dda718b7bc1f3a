#include "shellctrls/dragdrop/KdDragSession.h"

#include <utility>

#include "shellctrls/KdRefreshGate.h"
#include "toolkit/ListItem.h"
#include "toolkit/SysUtils.h"
#include "toolkit/TreeNode.h"
#include "toolkit/WinControl.h"

template <class TItem>
bool TKdDragSession<TItem>::Run(ComPtr<IDataObject> data, DWORD allowed, ComPtr<IDropSource> source) {
  bool dropped = false;
  {
    TKdRefreshGate::TBusy busy(FGate);
    FOwnData = std::move(data);
    TAtExit release([&] {
      source.Reset();
      FOwnData.Reset();
    });
    DWORD effect = DROPEFFECT_NONE;
    dropped = DoDragDrop(FOwnData.Get(), source.Get(), allowed, &effect) == DRAGDROP_S_DROP;
  }
  // A drop may have changed what the control shows (its own items moved, or dropped back on it).
  if (dropped)
    FGate.Hold(TKdHeldWork::Refresh);
  FGate.RunHeld();
  return dropped;
}

template <class TItem> void TKdDragSession<TItem>::Register(ComPtr<IDropTarget> target) {
  HWND wnd = FHost.DropControl().WindowHandle();
  if (!wnd || FRegistered || !target)
    return;
  if (SUCCEEDED(RegisterDragDrop(wnd, target.Get()))) {
    FRegistered = std::move(target);
    FRegisteredWindow = wnd;
  }
}

template <class TItem> void TKdDragSession<TItem>::Revoke() {
  if (!FRegistered)
    return;
  if (IsWindow(FRegisteredWindow))
    RevokeDragDrop(FRegisteredWindow);
  FRegistered.Reset();
  FRegisteredWindow = nullptr;
}

template <class TItem> POINT TKdDragSession<TItem>::ClientPoint(POINTL screen) {
  return FHost.DropControl().ScreenToClient({screen.x, screen.y});
}

template <class TItem> void TKdDragSession<TItem>::Show(const TKdDropPlace<TItem> &place, DWORD effect) {
  FHost.SetDropHighlight(place.Target && effect != DROPEFFECT_NONE ? place.Highlight : place.HighlightRefused);
}

template <class TItem>
HRESULT TKdDragSession<TItem>::Enter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  FLastScrollCheck = GetTickCount();
  FDragData = ComPtr<IDataObject>::AddRefed(data);
  FEnterKeys = keys;
  TKdDropPlace<TItem> place = FHost.DropPlaceAt(ClientPoint(point), keys, TKdDragEvent::Enter, effect);
  HRESULT hr = S_OK;
  if (place.Answered) {
    effect = place.Effect;
  } else if (place.Target) {
    hr = place.Target->DragEnter(data, keys, point, &effect);
    place.Target->DragLeave();
  } else {
    effect = DROPEFFECT_NONE;
  }
  Show(place, effect);
  return hr;
}

template <class TItem> HRESULT TKdDragSession<TItem>::Over(DWORD keys, POINTL point, DWORD &effect) {
  TItem *highlighted = FHost.DropHighlight();
  const POINT client = ClientPoint(point);
  TKdDropPlace<TItem> place = FHost.DropPlaceAt(client, keys, TKdDragEvent::Over, effect);
  if (place.Answered) {
    effect = place.Effect;
    Show(place, effect);
    return S_OK;
  }
  HRESULT hr = S_OK;
  if (place.Target) {
    const DWORD allowed = effect;
    place.Target->DragEnter(FDragData.Get(), keys, point, &effect);
    effect = allowed;
    hr = place.Target->DragOver(keys, point, &effect);
    place.Target->DragLeave();
  } else {
    effect = DROPEFFECT_NONE;
  }
  Show(place, effect);
  FHost.DragAutoScroll(client);
  effect |= DROPEFFECT_SCROLL;
  if (FHost.DropHighlight() != highlighted)
    FHost.DropControl().Update();
  return hr;
}

template <class TItem> HRESULT TKdDragSession<TItem>::Leave() {
  FDragData.Reset();
  FHost.SetDropHighlight(nullptr);
  return S_OK;
}

template <class TItem> HRESULT TKdDragSession<TItem>::Drop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point) {
  TAtExit end([this] {
    FHost.SetDropHighlight(nullptr);
    FDragData.Reset();
  });
  TKdDropPlace<TItem> place = FHost.DropPlaceAt(ClientPoint(point), keys, TKdDragEvent::Drop, effect);
  if (!place.Target)
    return S_OK;
  const HRESULT hr = FHost.DropOnShellTarget(
      PrepareShellDrop(place.Target.Get(), place.IdList, data, keys | (FEnterKeys & DragButtons), point, effect));
  FHost.DropDone();
  return hr;
}

template class TKdDragSession<TTreeNode>;
template class TKdDragSession<TListItem>;
