#include "shellctrls/commands/KdShellContextMenu.h"

#include "shellctrls/KdRefreshGate.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WinControl.h"

void TKdShellContextMenu::Show(TWinControl &control, TKdRefreshGate &gate, HWND owner, IShellFolder *folder,
                               const std::vector<LPCITEMIDLIST> &items, UINT flags, POINT client,
                               const TKdContextMenuChoices &choices) {
  if (!folder || items.empty())
    return;
  {
    TKdRefreshGate::TBusy busy(gate);
    ComPtr<IContextMenu> contextMenu;
    TMenuHandle menu;
    if (FAILED(GetItemContextMenu(owner, folder, static_cast<UINT>(items.size()),
                                  const_cast<LPCITEMIDLIST *>(items.data()), flags, kdFirstShellCommandId, contextMenu,
                                  menu)))
      return;
    if (!menu)
      return;
    UINT chosen = 0;
    {
      FActive = contextMenu;
      TAtExit closed([this] { FActive.Reset(); });
      chosen = control.TrackPopup(menu.Get(), control.ClientToScreen(client), TPM_RETURNCMD | TPM_RIGHTBUTTON);
    }
    if (chosen >= kdFirstShellCommandId) {
      const UINT offset = chosen - kdFirstShellCommandId;
      if (IsRenameCommand(contextMenu.Get(), offset)) {
        if (choices.Rename)
          choices.Rename();
      } else {
        InvokeContextCommand(owner, contextMenu.Get(), offset);
        if (choices.CommandRan)
          choices.CommandRan();
      }
    } else if (chosen > 0 && choices.SendTo) {
      // Identifiers below the shell's first are the control's own entries.
      choices.SendTo(chosen - 1);
    }
  }
  gate.RunHeld();
}

void TKdShellContextMenu::Serve(TMessage &message, HIMAGELIST smallImages, TObject *sender,
                                const TKdShPopupHintEvent &onPopupHint) {
  ServeShellMenuMessage(message, FActive.Get(), smallImages, sender, onPopupHint);
}
