#pragma once
// One tab of the main window: its header bar and the client area with the folder tree, the splitter and the
// item list, and the folders the tab has shown. The controls belong to the main window (the header) and to
// its main panel (the rest); the record only names them.
#include "app/TabHistory.h"
#include "app/TabShellList.h"

class TFilterBox;
class TPanel;
class TSplitter;
class TTabPanel;
class TTabShellTreeView;

struct TExplorerTab {
  TTabPanel *HeaderPanel = nullptr;
  TPanel *ClientPanel = nullptr;
  TTabShellTreeView *Tree = nullptr;
  TSplitter *Splitter = nullptr;
  TTabShellList *List = nullptr;
  TTabHistory History;
  // Made when the user first filters the list (owned by the list's pane).
  TFilterBox *FilterBox = nullptr;
};
