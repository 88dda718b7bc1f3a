#include "shellctrls/commands/ShellMenuMessages.h"

#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/commands/SendToMenu.h"
#include "toolkit/Control.h"
#include "toolkit/SysUtils.h"

std::string ShellCommandHelpText(IContextMenu *menu, UINT_PTR offset) {
  char text[MAX_PATH] = {};
  if (SUCCEEDED(menu->GetCommandString(offset, GCS_HELPTEXTA, nullptr, text, sizeof text))) {
    text[sizeof text - 1] = '\0';
    return text;
  }
  wchar_t wide[MAX_PATH] = {};
  if (SUCCEEDED(menu->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(wide), MAX_PATH))) {
    wide[MAX_PATH - 1] = L'\0';
    return WideToUtf8(wide);
  }
  return {};
}

void ReportMenuHint(TMessage &message, IContextMenu *activeMenu, TObject *sender,
                    const TKdShPopupHintEvent &onPopupHint) {
  if (!activeMenu || !onPopupHint)
    return;
  const UINT id = LOWORD(message.WParam);
  const UINT flags = HIWORD(message.WParam);
  std::string hint;
  if (id >= kdFirstShellCommandId && !(flags & (MF_POPUP | MF_SYSMENU)))
    hint = ShellCommandHelpText(activeMenu, id - kdFirstShellCommandId);
  onPopupHint(sender, hint);
}

void ServeShellMenuMessage(TMessage &message, IContextMenu *activeMenu, HIMAGELIST smallImages, TObject *sender,
                           const TKdShPopupHintEvent &onPopupHint) {
  // The menu is shown over the control: at its resolution.
  const auto *control = dynamic_cast<const TControl *>(sender);
  const int ppi = control ? control->CurrentPPI() : SystemPixelsPerInch();
  switch (message.Msg) {
  case WM_INITMENUPOPUP:
    FillSendToSubmenu(message, activeMenu);
    break;
  case WM_MEASUREITEM:
    MeasureSendToItem(message, activeMenu, ppi);
    break;
  case WM_DRAWITEM:
    DrawSendToItem(message, activeMenu, smallImages, ppi);
    break;
  case WM_MENUCHAR:
    HandleSendToMenuChar(message, activeMenu);
    break;
  case WM_MENUSELECT:
    ReportMenuHint(message, activeMenu, sender, onPopupHint);
    break;
  default:
    break;
  }
}
