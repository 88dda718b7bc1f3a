// The main window's own keys, and moving between tabs and through a tab's history: switching and reopening
// tabs, the "Go" menu, and the path box by keyboard.
#include "app/MainFormUnit.h"

#include <algorithm>

#include "app/FilterBox.h"
#include "shellctrls/commands/KdDefaultKeys.h"

namespace {

constexpr TShortCut BackKey = scAlt | VK_LEFT;
constexpr TShortCut ForwardKey = scAlt | VK_RIGHT;
constexpr TShortCut ParentKey = scAlt | VK_UP;
constexpr TShortCut RefreshKey = VK_F5;

std::string WithKey(const std::string &caption, TShortCut key) { return caption + "\t" + ShortCutToKeyText(key); }

} // namespace

void TFormMainExplorer::CreateGoMenu() {
  Go1 = NewItem(MainMenu1->Items(), "Go1", "Go");
  Back1 = NewItem(Go1, "Back1", WithKey("Back", BackKey));
  Forward1 = NewItem(Go1, "Forward1", WithKey("Forward", ForwardKey));
  UpOneLevel1 = NewItem(Go1, "UpOneLevel1", WithKey("Parent Folder", ParentKey));
  Back1->OnClick = [this](TObject *sender) { Back1Click(sender); };
  Forward1->OnClick = [this](TObject *sender) { Forward1Click(sender); };
  UpOneLevel1->OnClick = [this](TObject *sender) { UpOneLevel1Click(sender); };
  for (TMenuItem *item : {Back1, Forward1, UpOneLevel1})
    item->SetEnabled(false);
}

bool TFormMainExplorer::IsShortCut(WORD key, TShiftState shift) {
  const TShortCut code = ShortCut(key, shift);
  switch (code) {
  case scCtrl | 'T':
    New1Click(nullptr);
    return true;
  case scCtrl | 'W':
    CloseTab(FActiveTab);
    return true;
  case scCtrl | scShift | 'T':
    ReopenClosedTab();
    return true;
  case scCtrl | VK_TAB:
  case scCtrl | scShift | VK_TAB:
    SwitchTab(code & scShift ? -1 : 1);
    return true;
  case BackKey:
    Back1Click(nullptr);
    return true;
  case ForwardKey:
    Forward1Click(nullptr);
    return true;
  case ParentKey:
    UpOneLevel1Click(nullptr);
    return true;
  case scCtrl | 'L':
  case scAlt | 'D':
  case VK_F4:
    FocusPathBox();
    return true;
  case RefreshKey:
    Refresh1Click(nullptr);
    return true;
  case scCtrl | 'F':
    return FActiveTab && OpenFilterBox(*FActiveTab);
  default:
    break;
  }
  // Ctrl+1 to Ctrl+8 the tab at that place from the top, Ctrl+9 the last (the digits of the pad too).
  const WORD digit = key >= VK_NUMPAD1 && key <= VK_NUMPAD9 ? static_cast<WORD>(key - VK_NUMPAD0 + '0') : key;
  if ((code & (scShift | scCtrl | scAlt)) == scCtrl && digit >= '1' && digit <= '9') {
    ShowTab(digit == '9' ? FTabs.size() - 1 : static_cast<size_t>(digit - '1'));
    return true;
  }
  return TForm::IsShortCut(key, shift);
}

// ---- Tabs ------------------------------------------------------------------------------------------------

void TFormMainExplorer::SwitchTab(int step) {
  auto active = std::find_if(FTabs.begin(), FTabs.end(), [&](const auto &tab) { return tab.get() == FActiveTab; });
  if (active == FTabs.end())
    return;
  const auto count = static_cast<int>(FTabs.size());
  const int index = static_cast<int>(active - FTabs.begin());
  ShowTab(static_cast<size_t>(((index + step) % count + count) % count));
}

void TFormMainExplorer::ShowTab(size_t index) {
  if (index < FTabs.size())
    TabPanelClick(FTabs[index]->HeaderPanel);
}

void TFormMainExplorer::ReopenClosedTab() {
  if (FReopenable.empty())
    return;
  TTabHistory history = std::move(FReopenable.back());
  FReopenable.pop_back();
  TKdShellLocator folder;
  folder.SetIdList(history.Current());
  TabCreatePanel(&folder);
  FActiveTab->History = std::move(history);
  DeleteTab1->SetEnabled(true);
  UpdateGoMenu();
}

// ---- History -----------------------------------------------------------------------------------------------

void TFormMainExplorer::TabFolderShown(TExplorerTab *tab) {
  tab->History.Visit(tab->List->Folder().GetIdList());
  if (tab == FActiveTab)
    UpdateGoMenu();
}

void TFormMainExplorer::Back1Click(TObject *) { StepHistory(-1); }

void TFormMainExplorer::Forward1Click(TObject *) { StepHistory(1); }

void TFormMainExplorer::StepHistory(int direction) {
  if (!FActiveTab)
    return;
  // A folder the arrow keys reached in the tree is one the tab has shown.
  FActiveTab->Tree->FlushChange();
  if (LPCITEMIDLIST folder = FActiveTab->History.Step(direction, TTabHistory::FolderExists)) {
    // The history has the step already: the tab showing the folder adds nothing.
    TKdIdListPtr shown = IdListCopy(folder);
    FActiveTab->Tree->CurrentFolder().SetIdList(shown.get());
  }
  UpdateGoMenu();
}

void TFormMainExplorer::UpOneLevel1Click(TObject *sender) { ParentFolder1Click(sender); }

void TFormMainExplorer::UpdateGoMenu() {
  TExplorerTab *tab = FActiveTab;
  Back1->SetEnabled(tab && tab->History.CanGoBack());
  Forward1->SetEnabled(tab && tab->History.CanGoForward());
  TTreeNode *selected = tab && tab->Tree->HandleAllocated() ? tab->Tree->Selected() : nullptr;
  UpOneLevel1->SetEnabled(selected && selected->Parent());
}

// ---- Path box ------------------------------------------------------------------------------------------------

void TFormMainExplorer::FocusPathBox() {
  PathTextBox->SetFocus();
  PathTextBox->SelectAll();
}

void TFormMainExplorer::PathTextBoxEscape() {
  PathTextBox->CloseOffers();
  if (!FActiveTab)
    return;
  PathTextBox->SetText(FActiveTab->HeaderPanel->Caption());
  FActiveTab->List->SetFocus();
}
