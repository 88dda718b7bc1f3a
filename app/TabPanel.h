#pragma once
// The header bar of a tab: a panel that knows its tab and paints its whole face in its own colour (the
// active tab's header stands out in the highlight colour).
#include "toolkit/Panel.h"

struct TExplorerTab;

class TTabPanel : public TPanel {
public:
  TTabPanel(TComponent *AOwner, TExplorerTab *tab) : TPanel(AOwner), Tab(tab) {}

  TExplorerTab *const Tab;

protected:
  void Paint() override;
};
