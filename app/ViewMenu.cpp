// The main window's "View" menu: hidden items in every tab, the active list's style, and reading the active
// tab's folders again.
#include "app/MainFormUnit.h"

void TFormMainExplorer::CreateViewMenu() {
  View1 = NewItem(MainMenu1->Items(), "View1", "View");
  ShowHiddenItems1 = NewItem(View1, "ShowHiddenItems1", "Show Hidden Items");
  N2 = NewItem(View1, "N2", "-");
  Details1 = NewItem(View1, "Details1", "Details");
  List1 = NewItem(View1, "List1", "List");
  SmallIcons1 = NewItem(View1, "SmallIcons1", "Small Icons");
  LargeIcons1 = NewItem(View1, "LargeIcons1", "Large Icons");
  N3 = NewItem(View1, "N3", "-");
  Refresh1 = NewItem(View1, "Refresh1", "Refresh\tF5");
  ShowHiddenItems1->SetChecked(FShowHidden);
  Details1->SetChecked(true);
  ShowHiddenItems1->OnClick = [this](TObject *sender) { ShowHiddenItems1Click(sender); };
  Details1->OnClick = [this](TObject *) { ViewStyleClick(vsReport); };
  List1->OnClick = [this](TObject *) { ViewStyleClick(vsList); };
  SmallIcons1->OnClick = [this](TObject *) { ViewStyleClick(vsSmallIcon); };
  LargeIcons1->OnClick = [this](TObject *) { ViewStyleClick(vsIcon); };
  Refresh1->OnClick = [this](TObject *sender) { Refresh1Click(sender); };
}

void TFormMainExplorer::ShowHiddenItems1Click(TObject *) {
  FShowHidden = !FShowHidden;
  ShowHiddenItems1->SetChecked(FShowHidden);
  PathTextBox->SetOfferHidden(FShowHidden);
  for (const auto &tab : FTabs)
    ApplyShowHidden(tab.get());
}

void TFormMainExplorer::ApplyShowHidden(TExplorerTab *tab) {
  TKdShellTreeOptions treeOptions = tab->Tree->Options();
  if (treeOptions.Contains(kdstoShowHidden) != FShowHidden) {
    tab->Tree->SetOptions(FShowHidden ? treeOptions.Include(kdstoShowHidden) : treeOptions.Exclude(kdstoShowHidden));
    // The tree leaves its nodes as they are when an option changes.
    if (tab->Tree->Items().Count() > 0)
      tab->Tree->RefreshNodes();
  }
  // The list reads its folder again itself.
  TKdShellListOptions listOptions = tab->List->Options();
  if (listOptions.Contains(kdsloShowHidden) != FShowHidden)
    tab->List->SetOptions(FShowHidden ? listOptions.Include(kdsloShowHidden) : listOptions.Exclude(kdsloShowHidden));
}

void TFormMainExplorer::ViewStyleClick(TViewStyle style) {
  if (!FActiveTab)
    return;
  FActiveTab->List->SetViewStyle(style);
  UpdateViewMenu();
}

void TFormMainExplorer::Refresh1Click(TObject *) {
  if (!FActiveTab)
    return;
  FActiveTab->Tree->RefreshNodes();
  FActiveTab->List->FillList();
}

void TFormMainExplorer::UpdateViewMenu() {
  const TViewStyle style = FActiveTab ? FActiveTab->List->ViewStyle() : vsReport;
  Details1->SetChecked(style == vsReport);
  List1->SetChecked(style == vsList);
  SmallIcons1->SetChecked(style == vsSmallIcon);
  LargeIcons1->SetChecked(style == vsIcon);
}
