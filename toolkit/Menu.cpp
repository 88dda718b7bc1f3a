#include "toolkit/Menu.h"

TMenu::TMenu(TComponent *AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  FItems->FMenu = nullptr;
  delete FItems;
}

void TMenu::SetMenuBar() { FItems->FMenuBar = true; }
