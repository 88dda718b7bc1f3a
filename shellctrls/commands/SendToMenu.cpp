#include "shellctrls/commands/SendToMenu.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "shellns/IdList.h"
#include "toolkit/Dpi.h"
#include "toolkit/Handles.h"
#include "toolkit/Screen.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"

namespace {

// Left edges of an entry's icon and text, and the top margin of both, at 96 dpi.
constexpr int kdIconLeft = 8;
constexpr int kdTextLeft = 32;
constexpr int kdItemTopMargin = 2;

std::unique_ptr<TStringList> &SendToListOwner() {
  static std::unique_ptr<TStringList> list;
  return list;
}

TKdSendToFolder &UsersSendToFolder() {
  static TKdSendToFolder folder;
  return folder;
}

TKdSendToFolder *&CurrentSendToFolder() {
  static TKdSendToFolder *folder = &UsersSendToFolder();
  return folder;
}

TStringList &EnsureSendToList() {
  std::unique_ptr<TStringList> &list = SendToListOwner();
  if (!list) {
    list = std::make_unique<TStringList>();
    list->SetSorted(true);
    list->SetDuplicates(dupIgnore);
  }
  return *list;
}

int IconIndexOf(const TStringList &list, int index) {
  return static_cast<int>(reinterpret_cast<intptr_t>(list.Objects(index)));
}

// The entry an owner-drawn item's data names, or null when it names none.
const std::string *EntryOfItemData(ULONG_PTR data) {
  const TStringList *list = SendToList();
  if (!list || data >= kdLastSendToCommandId + 1 || static_cast<int>(data) >= list->Count())
    return nullptr;
  return &list->Strings(static_cast<int>(data));
}

// What an entry shows: its file name without the extension (Mail Recipient.MAPIMail: Mail Recipient).
std::wstring EntryCaption(const std::string &name) {
  const size_t dot = name.rfind('.');
  return Utf8ToWide(dot == std::string::npos ? name : name.substr(0, dot));
}

// The system's metrics are those of its own resolution: a menu on a monitor of another is drawn larger or
// smaller.
int ForMenu(int systemValue, int ppi) { return MulDiv(systemValue, ppi, SystemPixelsPerInch()); }

TGdiObject<HFONT> CreateMenuFont(int ppi) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return TGdiObject<HFONT>();
  metrics.lfMenuFont.lfHeight = ForMenu(metrics.lfMenuFont.lfHeight, ppi);
  return TGdiObject<HFONT>(CreateFontIndirectW(&metrics.lfMenuFont));
}

// Selects a font into a device context for one scope.
class TSelectedFont {
public:
  TSelectedFont(HDC dc, HFONT font) : FDC(dc), FOld(font ? SelectObject(dc, font) : nullptr) {}
  ~TSelectedFont() {
    if (FOld)
      SelectObject(FDC, FOld);
  }
  TSelectedFont(const TSelectedFont &) = delete;
  TSelectedFont &operator=(const TSelectedFont &) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Hands a menu message to the shell's menu when it fills and draws its submenus itself; false when it
// does not.
bool ForwardToShellMenu(TMessage &message, IContextMenu *activeMenu) {
  ComPtr<IContextMenu2> menu2;
  if (FAILED(activeMenu->QueryInterface(IID_IContextMenu2, menu2.PutVoid())) || !menu2)
    return false;
  menu2->HandleMenuMsg(message.Msg, message.WParam, message.LParam);
  return true;
}

// The shell leaves a single grayed item where it would have put the Send To entries.
bool IsSendToPlaceholder(HMENU menu) {
  if (GetMenuItemCount(menu) != 1)
    return false;
  const UINT state = GetMenuState(menu, 0, MF_BYPOSITION);
  return state != static_cast<UINT>(-1) && (state & MF_GRAYED);
}

// A submenu this code filled: owner-drawn entries with identifiers of Send To entries.
bool IsFilledSendToMenu(HMENU menu) {
  if (GetMenuItemCount(menu) <= 0)
    return false;
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID;
  if (!GetMenuItemInfoW(menu, 0, TRUE, &info))
    return false;
  return (info.fType & MFT_OWNERDRAW) && info.wID >= 1 && info.wID <= kdLastSendToCommandId;
}

wchar_t UpperChar(wchar_t c) {
  return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(c))));
}

wchar_t UpperFirstChar(const std::string &name) {
  const std::wstring wide = Utf8ToWide(name);
  return wide.empty() ? L'\0' : UpperChar(wide[0]);
}

void FillPlaceholder(HMENU menu) {
  TStringList &list = EnsureSendToList();
  DeleteMenu(menu, 0, MF_BYPOSITION);
  const std::string folder = CurrentSendToFolder()->Path();
  // Without a folder there are no entries: an empty path would search the current drive's root.
  if (!folder.empty())
    CollectFolderFiles(folder, {"*"});
  // Identifiers from 1000 on are the shell's: entries past the 999th are not offered.
  const int shown = std::min<int>(list.Count(), kdLastSendToCommandId);
  for (int i = 0; i < shown; ++i)
    AppendMenuW(menu, MF_OWNERDRAW, static_cast<UINT_PTR>(i) + 1, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(i)));
}

} // namespace

TStringList *SendToList() { return SendToListOwner().get(); }

void FreeSendToList() { SendToListOwner().reset(); }

std::string TKdSendToFolder::Path() { return SpecialFolderPath(nullptr, CSIDL_SENDTO); }

HRESULT TKdSendToFolder::Bind(ComPtr<IShellFolder> &folder) {
  folder.Reset();
  TKdIdListPtr list;
  HRESULT hr = GetSpecialFolderIdList(nullptr, CSIDL_SENDTO, list);
  if (FAILED(hr))
    return hr;
  return BindToShellFolder(list.get(), folder);
}

HRESULT TKdSendToFolder::ItemDropTarget(IShellFolder *folder, LPCITEMIDLIST item, ComPtr<IDropTarget> &target) {
  LPCITEMIDLIST items[] = {item};
  HRESULT hr = folder->GetUIObjectOf(nullptr, 1, items, IID_IDropTarget, nullptr, target.PutVoid());
  return SUCCEEDED(hr) && !target ? E_NOINTERFACE : hr;
}

TKdSendToFolder *SetSendToFolder(TKdSendToFolder *folder) {
  TKdSendToFolder *previous = CurrentSendToFolder();
  CurrentSendToFolder() = folder ? folder : &UsersSendToFolder();
  return previous == &UsersSendToFolder() ? nullptr : previous;
}

void CollectFolderFiles(const std::string &folder, const std::vector<std::string> &patterns) {
  TStringList &list = EnsureSendToList();
  for (const std::string &pattern : patterns) {
    WIN32_FIND_DATAW found;
    TFindHandle search(FindFirstFileW(Utf8ToWide(folder + "\\" + pattern).c_str(), &found));
    if (!search)
      continue;
    do {
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN))
        continue;
      const std::string name = WideToUtf8(found.cFileName);
      int index = 0;
      if (list.Find(name, index))
        continue;
      TKdIdListPtr item;
      HRESULT hr = ParseDisplayNameToIdList(folder + "\\" + name, item);
      const int icon = SUCCEEDED(hr) ? GetIdListIconIndex(item.get(), SHGFI_SMALLICON) : -1;
      list.AddObject(name, reinterpret_cast<void *>(static_cast<intptr_t>(icon)));
    } while (FindNextFileW(search.Get(), &found));
  }
}

int FindHighlightedMenuItem(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) && (info.fState & MFS_HILITE))
      return position;
  }
  return -1;
}

void FillSendToSubmenu(TMessage &message, IContextMenu *activeMenu) {
  if (!activeMenu)
    return;
  // A failure here must not break the menu the user is looking at: the submenu stays as it is.
  try {
    if (ForwardToShellMenu(message, activeMenu))
      return;
    auto menu = reinterpret_cast<HMENU>(message.WParam);
    if (IsSendToPlaceholder(menu))
      FillPlaceholder(menu);
  } catch (...) {
  }
}

void MeasureSendToItem(TMessage &message, IContextMenu *activeMenu, int ppi) {
  if (!activeMenu)
    return;
  try {
    if (ForwardToShellMenu(message, activeMenu))
      return;
    auto *item = reinterpret_cast<MEASUREITEMSTRUCT *>(message.LParam);
    if (!item || item->CtlType != ODT_MENU)
      return;
    const std::string *entry = EntryOfItemData(item->itemData);
    if (!entry)
      return;
    const std::wstring caption = EntryCaption(*entry);
    TWindowDC screen;
    TGdiObject<HFONT> font = CreateMenuFont(ppi);
    TSelectedFont selected(screen.DC(), font.Get());
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(screen.DC(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    item->itemWidth = static_cast<UINT>(extent.cx + ScaleValue(kdTextLeft, ppi));
    item->itemHeight = static_cast<UINT>(ForMenu(GetSystemMetrics(SM_CYMENU), ppi) + ScaleValue(2, ppi));
    message.Result = TRUE;
  } catch (...) {
  }
}

void DrawSendToItem(TMessage &message, IContextMenu *activeMenu, HIMAGELIST images, int ppi) {
  if (!activeMenu)
    return;
  try {
    if (ForwardToShellMenu(message, activeMenu))
      return;
    auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(message.LParam);
    if (!item || item->CtlType != ODT_MENU)
      return;
    const std::string *entry = EntryOfItemData(item->itemData);
    if (!entry)
      return;
    const bool selected = static_cast<int>(item->itemID) >= 0 && (item->itemState & ODS_SELECTED);
    HDC dc = item->hDC;
    const RECT &rect = item->rcItem;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    message.Result = TRUE;
    if (static_cast<int>(item->itemID) < 0)
      return;
    TGdiObject<HFONT> font = CreateMenuFont(ppi);
    TSelectedFont selectedFont(dc, font.Get());
    const COLORREF oldColor = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const std::wstring caption = EntryCaption(*entry);
    const int top = rect.top + ScaleValue(kdItemTopMargin, ppi);
    ExtTextOutW(dc, rect.left + ScaleValue(kdTextLeft, ppi), top, ETO_CLIPPED, &rect, caption.c_str(),
                static_cast<UINT>(caption.size()), nullptr);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColor);
    const int icon = IconIndexOf(*SendToList(), static_cast<int>(item->itemData));
    if (icon >= 0 && images)
      ImageList_Draw(images, icon, dc, rect.left + ScaleValue(kdIconLeft, ppi), top, ILD_TRANSPARENT);
  } catch (...) {
  }
}

void HandleSendToMenuChar(TMessage &message, IContextMenu *activeMenu) {
  if (!activeMenu)
    return;
  if (ForwardToShellMenu(message, activeMenu))
    return;
  const TStringList *list = SendToList();
  auto menu = reinterpret_cast<HMENU>(message.LParam);
  // Only the submenu of entries: a character typed in the shell's own menu is the shell's business (an
  // answer here would pick or run one of its commands by position).
  if (!list || HIWORD(message.WParam) != MF_POPUP || !IsFilledSendToMenu(menu))
    return;
  // The whole UTF-16 character: its low byte alone would match unrelated letters.
  const wchar_t typed = UpperChar(static_cast<wchar_t>(LOWORD(message.WParam)));
  const int count = std::min(list->Count(), GetMenuItemCount(menu));
  const int highlighted = std::max(FindHighlightedMenuItem(menu), 0);
  int starting = 0;
  for (int i = 0; i < list->Count(); ++i)
    if (UpperFirstChar(list->Strings(i)) == typed)
      ++starting;
  for (int step = 1; step <= count; ++step) {
    const int position = (highlighted + step) % count;
    if (UpperFirstChar(list->Strings(position)) == typed) {
      message.Result = MAKELRESULT(position, starting > 1 ? MNC_SELECT : MNC_EXECUTE);
      return;
    }
  }
  message.Result = MAKELRESULT(0, MNC_CLOSE);
}

void SendDataToTarget(const std::string &entry, IDataObject *data) {
  TKdSendToFolder &sendTo = *CurrentSendToFolder();
  ComPtr<IShellFolder> folder;
  OleCheck(sendTo.Bind(folder));
  std::wstring name = Utf8ToWide(entry);
  TKdIdListPtr item;
  ULONG eaten = 0;
  OleCheck(folder->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, PidlOut(item), nullptr));
  ComPtr<IDropTarget> target;
  OleCheck(sendTo.ItemDropTarget(folder.Get(), item.get(), target));
  // A left-button drag that offers a copy, dropped at once; the target's answers change nothing here.
  DWORD effect = DROPEFFECT_COPY;
  const POINTL point = {0, 0};
  target->DragEnter(data, MK_LBUTTON, point, &effect);
  target->DragOver(MK_LBUTTON, point, &effect);
  TCursorSaver hourglass;
  target->Drop(data, MK_LBUTTON, point, &effect);
}

void SendDataToEntry(UINT index, IDataObject *data) {
  const TStringList *list = SendToList();
  if (!list || index >= static_cast<UINT>(list->Count()))
    return;
  SendDataToTarget(list->Strings(static_cast<int>(index)), data);
}
