#pragma once
// The folder tree of a tab: a shell tree that knows its tab, so that the main window can tell which tab a
// change comes from.
#include "shellctrls/UKdShellControls.h"

struct TExplorerTab;

class TTabShellTreeView : public TKdShellTree {
public:
  TTabShellTreeView(TComponent *AOwner, TExplorerTab *tab) : TKdShellTree(AOwner), Tab(tab) {}

  TExplorerTab *const Tab;
};
