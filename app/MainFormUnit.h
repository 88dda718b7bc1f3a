#pragma once
// Unit MainFormUnit: the main window of the file manager, TFormMainExplorer. It holds a stack of tabs, each a
// folder tree with the item list that follows it; one tab is active and shown, and the path box above the
// tabs and the status line below describe its folder.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExplorerTab.h"
#include "app/PathCompletion.h"
#include "app/StatusCounts.h"
#include "app/TabPanel.h"
#include "app/TabShellTreeView.h"
#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/MainMenu.h"
#include "toolkit/Panel.h"
#include "toolkit/PopupMenu.h"

// The application's title, set when the main window is first shown (and cleared at the program's end).
extern std::string AppTitle;

class TFormMainExplorer : public TForm {
public:
  explicit TFormMainExplorer(TComponent *AOwner);
  ~TFormMainExplorer() override;

  // Window property on the main window that holds InstanceNumber, so that another process (a test) can
  // tell the copies apart; nothing on screen shows the number.
  static constexpr const char *InstanceNumberProperty = "ZorExplorer.InstanceNumber";

  // The tabs' header bars, stacked: a tab that comes or goes moves this strip, not every bar beside the window's other
  // children.
  TPanel *HeaderStrip;
  TPanel *PanelMain;
  TPanel *MiddlePanel;
  TPathTextBox *PathTextBox;
  TPanel *Panel1;
  TLabel *Label1;
  TLabel *StatusBarLabel;
  TPopupMenu *ListPopup;
  TMenuItem *Paste2Mitm;
  TMenuItem *N6;
  TMenuItem *NewFolder1;
  TMenuItem *NewTextFile1;
  TMenuItem *N7;
  TMenuItem *Properties1Mitm;
  TPopupMenu *TabPopup;
  TMenuItem *New1;
  TMenuItem *DuplicateTab1;
  TMenuItem *DeleteTab1;
  TMenuItem *N1;
  TMenuItem *ParentFolder1;
  TMainMenu *MainMenu1;
  TMenuItem *File1;
  TMenuItem *Exit1;
  TMenuItem *View1;
  TMenuItem *ShowHiddenItems1;
  TMenuItem *N2;
  TMenuItem *Details1;
  TMenuItem *List1;
  TMenuItem *SmallIcons1;
  TMenuItem *LargeIcons1;
  TMenuItem *N3;
  TMenuItem *Refresh1;
  TMenuItem *Go1;
  TMenuItem *Back1;
  TMenuItem *Forward1;
  TMenuItem *UpOneLevel1;

  int InstanceNumber() const { return FInstanceNumber; }
  void SetInstanceNumber(int value);

  // The tabs, the newest first, and the one shown (null only before the first tab).
  const std::vector<std::unique_ptr<TExplorerTab>> &Tabs() const { return FTabs; }
  TExplorerTab *ActiveTab() const { return FActiveTab; }

  void FormCreate(TObject *Sender);
  void FormShow(TObject *Sender);
  // Opens a new active tab on folder (copied), or on My Computer when it is null.
  void TabCreatePanel(TKdShellLocator *folder);
  // The controls of a new tab, made and shown (TabCreatePanel finishes it).
  TExplorerTab *CreateTabControls(TKdShellLocator *folder);
  // Whether the keyboard focus is in one of tab's windows.
  bool HasFocusIn(TExplorerTab *tab);
  // Shows the tab whose header was clicked (Sender: the header).
  void TabPanelClick(TObject *Sender);
  // The tree of a tab selected another folder (Sender: that tree): the tab's title follows, and for the
  // active tab the path box and the status line.
  void ShellTreeViewExplorerChange(TObject *Sender, TTreeNode *Node);
  void New1Click(TObject *Sender);
  void DuplicateTab1Click(TObject *Sender);
  // Closes the active tab and shows the next older one (the next newer one when the oldest was closed).
  void DeleteTab1Click(TObject *Sender);
  // Enter opens the typed folder in the active tab; a failure is reported, the tree keeps where it got to.
  void PathTextBoxKeyDown(TObject *Sender, WORD &Key, TShiftState Shift);
  void PathTextBoxClick(TObject *Sender);
  // The list popup's commands act on the folder the active list shows, whatever is selected.
  void Paste2MitmClick(TObject *Sender);
  void Properties1MitmClick(TObject *Sender);
  void NewFolder1Click(TObject *Sender);
  // Makes the next free "New Text File.txt", "New Text File (1).txt", ... in the active tree's folder and
  // opens it with its program; does nothing in a virtual folder.
  void NewTextFile1Click(TObject *Sender);
  void ParentFolder1Click(TObject *Sender);
  void Exit1Click(TObject *Sender);

  // Opens each argument of the command line in a tab of its own, the first on top and active; the ones
  // that cannot be opened are named in one error box once the window shows. Without any that can be
  // opened the window stays as it started.
  void OpenStartFolders(const std::vector<std::string> &arguments);

  // Closes a tab (never the last); the active one gives way as "Close Tab" says. It is remembered for
  // ReopenClosedTab.
  void CloseTab(TExplorerTab *tab);
  // Opens the most recently closed tab again, on its folder with its history (the last MaxClosedTabs).
  void ReopenClosedTab();
  static constexpr size_t MaxClosedTabs = 10;
  // Shows the tab step places further down the headers (up for a negative step), wrapping.
  void SwitchTab(int step);
  // Shows the tab at index (0: the top header); nothing when there is none.
  void ShowTab(size_t index);

  // The active tab's history: the folder before (after) the one shown, and the parent folder.
  void Back1Click(TObject *Sender);
  void Forward1Click(TObject *Sender);
  void UpOneLevel1Click(TObject *Sender);
  // Puts the focus in the path box with its text selected.
  void FocusPathBox();

  void ShowHiddenItems1Click(TObject *Sender);
  // The active list's style ("Details", "List", "Small Icons", "Large Icons").
  void ViewStyleClick(TViewStyle style);
  // Reads the active tab's folders again.
  void Refresh1Click(TObject *Sender);
  bool ShowHiddenItems() const { return FShowHidden; }

  // Called with a new text file's full name right before it is created (tests make a file appear there).
  static std::function<void(const std::string &fileName)> BeforeCreateTextFile;
  // Opens a new text file (owner, full name, folder); by default with the file's associated program.
  static std::function<void(HWND owner, const std::string &fileName, const std::string &folder)> OpenTextFile;

  // Rewrites the status line for the drive of path: label, letter and free space; cleared for a path that
  // does not start with a drive letter (virtual folders, UNC paths).
  void UpdateStatusBar(const std::string &path);
  // The counts beside the drive text in the status line.
  TStatusCounts *StatusCounts() const { return FStatusCounts.get(); }

  // Bytes as the status line shows them: "0 B", "1.50 KB", "1024.00 MB", "5.00 GB".
  static std::string FormatSize(int64_t bytes);
  // The volume label of a drive, empty when it cannot be read.
  static std::string BGetVolumeInfo(char letter);

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;
  // The window's keys (tabs, history, path box, refresh, the list's filter), wherever the focus is but in
  // text being edited.
  bool IsShortCut(WORD key, TShiftState shift) override;
  // The mouse's back button goes up one folder in the active tab; its forward button only says so.
  void WMAppCommand(TMessage &message);
  // The lists' column headers get the new font of Label1 too.
  void ChangeScale(int newPPI, int oldPPI) override;

private:
  // Posted to itself: the controls of closed tabs go once the message that closed them has returned (a tab
  // closed from its own header's menu is still inside that header's message then).
  static constexpr UINT WM_DESTROYCLOSEDTABS = WM_APP + 1;
  // Posted to itself: the error box naming command-line arguments that could not be opened.
  static constexpr UINT WM_SHOWSTARTERROR = WM_APP + 2;

  void ActivateTab(TExplorerTab *tab);
  void ShowError(const std::string &text);
  void StyleHeader(TTabPanel *header, bool active);
  // The column header of a tab's list shows Label1's font.
  void LendHeaderFont(TKdShellList *list);
  void DestroyTab(std::unique_ptr<TExplorerTab> tab);
  void DestroyClosedTabs();

  TMenuItem *NewItem(TMenuItem *parent, const std::string &name, const std::string &caption);
  void PublishInstanceNumber();

  void OpenStartFolder(TExplorerTab *tab, const TStartFolder &folder);
  // The active tab's list shows another folder.
  void TabFolderShown(TExplorerTab *tab);
  // Back (-1) or forward (1) in the active tab's history.
  void StepHistory(int direction);
  void PathTextBoxEscape();
  void CreateViewMenu();
  void CreateGoMenu();
  // The View menu's marks and the Go menu's states follow the active tab.
  void UpdateViewMenu();
  void UpdateGoMenu();
  void ApplyShowHidden(TExplorerTab *tab);

  int FInstanceNumber = 0;
  std::vector<std::unique_ptr<TExplorerTab>> FTabs;
  TExplorerTab *FActiveTab = nullptr;
  std::vector<std::unique_ptr<TExplorerTab>> FClosedTabs;
  std::unique_ptr<TStatusCounts> FStatusCounts;
  // What ReopenClosedTab brings back, the most recent last.
  std::vector<TTabHistory> FReopenable;
  std::string FStartError;
  bool FShowHidden = true;
};
