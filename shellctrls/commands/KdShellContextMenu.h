#pragma once
// The shell's context menu of items as the tree and the list show it: built by the items' folder, shown with the
// control's window as its owner, and the chosen command run. While the menu is up, and while its command runs,
// the control is busy: fills and refreshes (asked for by the disk or by the command) wait until both are over,
// so that the items the menu belongs to stay where they are.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <vector>

#include "shellctrls/commands/ShellMenuMessages.h"
#include "toolkit/ComPtr.h"

class TKdRefreshGate;
class TWinControl;

// What the control does with the choices that are its own.
struct TKdContextMenuChoices {
  // An entry of the Send To submenu the control filled (entry: its index).
  std::function<void(UINT entry)> SendTo;
  // The shell's rename command: the control edits the label itself.
  std::function<void()> Rename;
  // Any other command ran.
  std::function<void()> CommandRan;
};

class TKdShellContextMenu {
public:
  // Shows folder's menu of items (relative lists) at a client point of control and runs the choice. Nothing
  // shows when the folder offers no menu.
  void Show(TWinControl &control, TKdRefreshGate &gate, HWND owner, IShellFolder *folder,
            const std::vector<LPCITEMIDLIST> &items, UINT flags, POINT client, const TKdContextMenuChoices &choices);
  // The shell's menu while it is shown, else null.
  IContextMenu *Active() const { return FActive.Get(); }
  // A menu message while the menu is shown, after the window's own handling: the shell's menu and the Send To
  // entries get what they need; the help text of the highlighted command goes to onPopupHint.
  void Serve(TMessage &message, HIMAGELIST smallImages, TObject *sender, const TKdShPopupHintEvent &onPopupHint);

private:
  ComPtr<IContextMenu> FActive;
};
