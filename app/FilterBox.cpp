#include "app/FilterBox.h"

#include "app/ExplorerTab.h"
#include "shellctrls/UKdShellControls.h"

TFilterBox::TFilterBox(TKdCustomShellList *list) : TPanel(list->Parent()), FList(list) {
  Name = "FilterBox";
  SetVisible(false);
  SetParent(list->Parent());
  SetAlign(alTop);
  // Sizes at 96 dpi, scaled to the pane's resolution.
  SetHeight(ScaleValue(26));
  SetBevelOuter(bvNone);

  Caption = new TLabel(this);
  Caption->SetParent(this);
  Caption->SetCaption("Filter:");
  Caption->SetLeft(ScaleValue(6));
  Caption->SetTop(ScaleValue(6));

  Edit = new TEdit(this);
  Edit->Name = "FilterEdit";
  Edit->SetParent(this);
  Edit->SetBounds(ScaleValue(48), ScaleValue(2), ScaleValue(320), ScaleValue(22));
  Edit->OnChange = [this](TObject *) { FList->SetNameFilter(Edit->Text()); };
  Edit->OnKeyDown = [this](TObject *, WORD &key, TShiftState shift) { EditKeyDown(key, shift); };
}

void TFilterBox::Open() {
  Show();
  Edit->SetFocus();
  Edit->SelectAll();
  // The keys of the rows are made now, while the user has yet to type.
  FList->PrepareNameFilter();
}

void TFilterBox::Close() {
  const bool focused = Edit->Focused();
  FList->SetNameFilter({});
  Edit->SetText({});
  Hide();
  if (focused && FList->CanFocus())
    FList->SetFocus();
}

void TFilterBox::FilterChanged() {
  // The user emptying the box leaves it open; a filter ended elsewhere closes it.
  if (FList->NameFilter().empty() && !Edit->Text().empty())
    Close();
}

void TFilterBox::EditKeyDown(WORD &key, TShiftState shift) {
  if (!shift.Empty())
    return;
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  } else if (key == VK_RETURN || key == VK_DOWN) {
    key = 0;
    if (FList->CanFocus())
      FList->SetFocus();
  }
}

bool OpenFilterBox(TExplorerTab &tab) {
  if (!tab.List || !tab.List->Parent())
    return false;
  if (!tab.FilterBox)
    tab.FilterBox = new TFilterBox(tab.List);
  tab.FilterBox->Open();
  return true;
}
