#pragma once
// The messages of a shell context menu that a control shows (TrackPopup with the control's window as the
// owner): the shell's menu and the Send To entries get what they need to fill, draw and answer, and the
// help text of the highlighted shell command goes to the control's OnPopupHint.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/Messages.h"

// hint: the help text of the highlighted shell command, or "".
using TKdShPopupHintEvent = std::function<void(TObject *aSender, const std::string &hint)>;

// The help text of the shell command at offset, or "" when the menu has none. Menus that answer only the
// wide request (Wine's) are asked that one too.
std::string ShellCommandHelpText(IContextMenu *menu, UINT_PTR offset);

// WM_MENUSELECT: raises onPopupHint (when set) with the help text of the highlighted shell command, or with
// "" for anything else (submenus, the control's own entries, the menu closing).
void ReportMenuHint(TMessage &message, IContextMenu *activeMenu, TObject *sender,
                    const TKdShPopupHintEvent &onPopupHint);

// Serves one menu message of the shown shell menu activeMenu (null: nothing), after the window's own
// handling: WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM (with smallImages, the system's small icon list),
// WM_MENUCHAR and WM_MENUSELECT. Other messages are left alone.
void ServeShellMenuMessage(TMessage &message, IContextMenu *activeMenu, HIMAGELIST smallImages, TObject *sender,
                           const TKdShPopupHintEvent &onPopupHint);
