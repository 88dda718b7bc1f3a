#include "widgets/UKdSplitter.h"

namespace {

// Whether this unit's start registered the pane, and so its end must take it back.
bool RegisteredHere = false;

} // namespace

void InitializeKdSplitterUnit() {
  if (GetComponentClass(KdPaneClass.Name))
    return;
  RegisterComponentClass(KdPaneClass);
  RegisteredHere = true;
}

void FinalizeKdSplitterUnit() {
  if (!RegisteredHere)
    return;
  UnRegisterComponentClass(KdPaneClass);
  RegisteredHere = false;
}
