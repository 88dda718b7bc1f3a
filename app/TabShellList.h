#pragma once
// The item list of a tab: a shell list that tells its tab each folder it shows (the tab's history is made of
// them), and that can select an item once it shows the item's folder (a file named on the command line).
#include <functional>

#include "shellctrls/UKdShellControls.h"

struct TExplorerTab;

class TTabShellList : public TKdShellList {
public:
  TTabShellList(TComponent *AOwner, TExplorerTab *tab) : TKdShellList(AOwner), Tab(tab) {}

  TExplorerTab *const Tab;

  // Selects the item (an absolute list), focused and scrolled into view, after the next fill of its folder.
  void SelectWhenShown(LPCITEMIDLIST item);

  // The list shows another folder (the tab is the one it belongs to).
  std::function<void(TExplorerTab *tab)> OnFolderShown;

protected:
  void DoFolderChanged() override;
  void DoFillComplete() override;
  void WndProc(TMessage &message) override;

private:
  // Posted to itself by a fill of the folder of the item to select.
  static constexpr UINT WM_SELECTWHENSHOWN = WM_APP + 30;

  void SelectPending();

  TKdIdListPtr FSelectParent;
  TKdIdListPtr FSelectItem;
};
