#include "shellctrls/dragdrop/ShellDragDrop.h"

#include "shellctrls/ShellScroll.h"
#include "shellctrls/dragdrop/ClipboardFormats.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellns/IdList.h"
#include "toolkit/Screen.h"
#include "toolkit/WinControl.h"

UINT HoverDelay = 400;
UINT HoverWidth = 2;
UINT HoverHeight = 2;

void ReadHoverSettings() {
  UINT value = 0;
  if (SystemParametersInfoA(SPI_GETMOUSEHOVERTIME, 0, &value, 0))
    HoverDelay = value;
  if (SystemParametersInfoA(SPI_GETMOUSEHOVERWIDTH, 0, &value, 0))
    HoverWidth = value;
  if (SystemParametersInfoA(SPI_GETMOUSEHOVERHEIGHT, 0, &value, 0))
    HoverHeight = value;
}

// ---- Drop source -------------------------------------------------------------------------------------------

namespace {

constexpr DWORD AllButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

DWORD ButtonMask(TMouseButton button) {
  switch (button) {
  case mbRight:
    return MK_RBUTTON;
  case mbMiddle:
    return MK_MBUTTON;
  default:
    return MK_LBUTTON;
  }
}

} // namespace

TDropSource_shlvtv::TDropSource_shlvtv(TMouseButton button) : FDragButtonMask(ButtonMask(button)) {}

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed || (keyState & AllButtons & ~FDragButtonMask))
    return DRAGDROP_S_CANCEL;
  return (keyState & FDragButtonMask) ? S_OK : DRAGDROP_S_DROP;
}

// ---- Effects the dragged items allow ------------------------------------------------------------------------

DWORD ItemDragEffects(IShellFolder *folder, std::vector<LPCITEMIDLIST> items) {
  if (items.empty())
    return 0;
  SFGAOF attributes = kdAllDropEffects;
  if (!folder || FAILED(folder->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes)))
    return kdAllDropEffects;
  return attributes & kdAllDropEffects;
}

DWORD GetSourceItemEffects(IDataObject *data) {
  if (!data)
    return kdAllDropEffects;
  FORMATETC format = {static_cast<CLIPFORMAT>(CF_IDLIST), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  if (data->QueryGetData(&format) != S_OK)
    return kdAllDropEffects;
  TMedium medium;
  if (!medium.Get(data, CF_IDLIST))
    return kdAllDropEffects;
  TGlobalLock block(medium.Medium.hGlobal);
  TKdShellIdListArrayView view;
  if (!ParseShellIdListArray(block.Data(), block.Size(), view) || view.Items.empty())
    return kdAllDropEffects;
  ComPtr<IShellFolder> folder;
  if (BindToShellFolder(view.Parent, folder) != S_OK)
    return kdAllDropEffects;
  return ItemDragEffects(folder.Get(), view.Items);
}

// ---- The drop reaching the shell ----------------------------------------------------------------------------

TKdShellDrop PrepareShellDrop(IDropTarget *target, LPCITEMIDLIST targetIdList, IDataObject *data, DWORD keys,
                              POINTL point, DWORD &effect) {
  DWORD scratch = effect;
  target->DragEnter(data, keys, point, &scratch);
  scratch = effect;
  target->DragOver(keys, point, &scratch);
  effect &= GetSourceItemEffects(data);
  TKdShellDrop drop;
  drop.Target = target;
  drop.TargetIdList = targetIdList;
  drop.Data = data;
  drop.KeyState = keys;
  drop.Point = point;
  drop.Effect = &effect;
  return drop;
}

HRESULT HandDropToShell(const TKdShellDrop &drop) {
  TCursorSaver hourglass;
  return drop.Target->Drop(drop.Data, drop.KeyState, drop.Point, drop.Effect);
}

// ---- Scrolling during a drag ----------------------------------------------------------------------------------

bool DragScrollAtEdges(TWinControl *control, POINT p, DWORD &lastCheck) {
  const DWORD now = GetTickCount();
  if (now - lastCheck <= DragScrollInterval)
    return false;
  lastCheck = now;
  RECT client;
  GetClientRect(control->WindowHandle(), &client);
  const int marginX = control->ScaleValue(ScrollMarginX), marginY = control->ScaleValue(ScrollMarginY);
  bool moved = false;
  if (p.x < marginX)
    moved = ScrollOneLine(control, SB_HORZ, SB_LINEUP);
  else if (p.x > client.right - marginX)
    moved = ScrollOneLine(control, SB_HORZ, SB_LINEDOWN);
  if (p.y < marginY)
    moved = ScrollOneLine(control, SB_VERT, SB_LINEUP) || moved;
  else if (p.y > client.bottom - marginY)
    moved = ScrollOneLine(control, SB_VERT, SB_LINEDOWN) || moved;
  return moved;
}
