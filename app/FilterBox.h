#pragma once
// The quick filter of a tab's list: a line above the list with a box in which the user types a part of the
// names to show (Ctrl+F opens it). Each character narrows the rows the list shows at once; Escape shows all
// rows again and closes the box, as does showing another folder; an empty box shows all rows. Enter or Down
// goes on to the rows shown.
#include "toolkit/Edit.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"

class TKdCustomShellList;
struct TExplorerTab;

class TFilterBox : public TPanel {
public:
  // Placed at the top of the list's pane (the list's parent), for list.
  explicit TFilterBox(TKdCustomShellList *list);

  // Shows the box with the focus in it and its text selected.
  void Open();
  // Hides the box and shows every row again; the list takes the focus when the box had it.
  void Close();
  // The list's filter changed: when something else ended it (another folder), the box closes.
  void FilterChanged();

  TLabel *Caption;
  TEdit *Edit;

private:
  void EditKeyDown(WORD &key, TShiftState shift);

  TKdCustomShellList *FList;
};

// Ctrl+F: opens the filter box of tab's list, made on first use. False while the list cannot take it (no list).
bool OpenFilterBox(TExplorerTab &tab);
