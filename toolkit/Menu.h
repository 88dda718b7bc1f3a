#pragma once
// Base of the main menu and the popup menu: a root item whose children are the menu's entries.
#include <windows.h>

#include "toolkit/Component.h"
#include "toolkit/MenuItem.h"

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent *AOwner);
  ~TMenu() override;

  TMenuItem *Items() const { return FItems; }
  HMENU Handle() const { return FItems->Handle(); }

  // Called after any item of the menu changed.
  virtual void MenuChanged() {}

protected:
  // Makes the root a menu bar instead of a popup menu; before the handle is first asked for.
  void SetMenuBar();

private:
  TMenuItem *FItems;
};
