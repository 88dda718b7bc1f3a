#include "app/MainFormUnit.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "app/FilterBox.h"
#include "app/Version.h"
#include "shellctrls/list/DetailTexts.h"
#include "toolkit/AlignHold.h"
#include "toolkit/Application.h"
#include "toolkit/Splitter.h"
#include "toolkit/SysUtils.h"

std::string AppTitle;

namespace {

// The shell's name of My Computer, where a new tab opens.
constexpr const char *MyComputerPath = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// What the mouse's back and forward buttons send (the high word of lParam: the command with the mouse as its
// device); the same commands from a keyboard are left to the system.
constexpr WORD MouseBrowserBackward = FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_BACKWARD;
constexpr WORD MouseBrowserForward = FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_FORWARD;

} // namespace

TFormMainExplorer::TFormMainExplorer(TComponent *AOwner) : TForm(AOwner) {
  Name = "FormMainExplorer";
  // Sizes here are pixels at 96 dpi, scaled to the resolution the window is laid out at.
  SetBounds(ScaleValue(50), ScaleValue(50), ScaleValue(812), ScaleValue(615));
  SetCaption("Zorvat File Manager");
  SetColor(clBtnFace);
  Font().SetName("Tahoma");
  Font().SetHeight(-11);
  Font().SetColor(clWindowText);
  SetWindowState(wsMaximized);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  File1 = NewItem(MainMenu1->Items(), "File1", "File");
  Exit1 = NewItem(File1, "Exit1", "Exit");
  Exit1->OnClick = [this](TObject *sender) { Exit1Click(sender); };
  CreateViewMenu();
  CreateGoMenu();
  SetMenu(MainMenu1);

  HeaderStrip = new TPanel(this);
  HeaderStrip->Name = "HeaderStrip";
  HeaderStrip->SetParent(this);
  HeaderStrip->SetAlign(alTop);
  HeaderStrip->SetBevelOuter(bvNone);
  HeaderStrip->SetAutoSize(true);

  PanelMain = new TPanel(this);
  PanelMain->Name = "PanelMain";
  PanelMain->SetParent(this);
  PanelMain->SetAlign(alClient);
  PanelMain->SetBevelOuter(bvNone);

  MiddlePanel = new TPanel(this);
  MiddlePanel->Name = "MiddlePanel";
  MiddlePanel->SetParent(PanelMain);
  MiddlePanel->SetHeight(MiddlePanel->ScaleValue(24));
  MiddlePanel->SetAlign(alTop);
  MiddlePanel->SetBevelOuter(bvLowered);
  MiddlePanel->SetAutoSize(true);

  PathTextBox = new TPathTextBox(this);
  PathTextBox->Name = "PathTextBox";
  PathTextBox->SetParent(MiddlePanel);
  PathTextBox->SetBorderStyle(bsNone);
  PathTextBox->SetBevelKind(bkFlat);
  PathTextBox->SetBevelInner(bvLowered);
  PathTextBox->SetBevelOuter(bvNone);
  PathTextBox->Font().SetName("Tahoma");
  PathTextBox->Font().SetHeight(-13);
  // 802 wide at the designed size: the panel's width inside its bevel, which it keeps when the window is
  // resized.
  const int inside = PathTextBox->ScaleValue(1);
  PathTextBox->SetBounds(inside, inside, MiddlePanel->ClientWidth() - 2 * inside, PathTextBox->ScaleValue(22));
  PathTextBox->SetAnchors(akLeft | akRight | akTop);
  PathTextBox->OnClick = [this](TObject *sender) { PathTextBoxClick(sender); };
  PathTextBox->OnKeyDown = [this](TObject *sender, WORD &key, TShiftState shift) {
    PathTextBoxKeyDown(sender, key, shift);
  };

  Panel1 = new TPanel(this);
  Panel1->Name = "Panel1";
  Panel1->SetParent(this);
  Panel1->SetHeight(Panel1->ScaleValue(24));
  Panel1->SetAlign(alBottom);
  Panel1->SetBevelOuter(bvLowered);

  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetVisible(false);
  Label1->SetParent(Panel1);
  Label1->Font().SetName("Tahoma");
  Label1->Font().SetHeight(-16);

  StatusBarLabel = new TLabel(this);
  StatusBarLabel->Name = "StatusBarLabel";
  StatusBarLabel->SetParent(Panel1);
  StatusBarLabel->SetLeft(StatusBarLabel->ScaleValue(4));
  StatusBarLabel->SetTop(StatusBarLabel->ScaleValue(4));
  StatusBarLabel->Font().SetName("Tahoma");
  StatusBarLabel->Font().SetHeight(-13);
  FStatusCounts = std::make_unique<TStatusCounts>(Panel1, StatusBarLabel, [this] { return FActiveTab; });

  ListPopup = new TPopupMenu(this);
  ListPopup->Name = "ListPopup";
  Paste2Mitm = NewItem(ListPopup->Items(), "Paste2Mitm", "P&aste");
  N6 = NewItem(ListPopup->Items(), "N6", "-");
  NewFolder1 = NewItem(ListPopup->Items(), "NewFolder1", "New Folder");
  NewTextFile1 = NewItem(ListPopup->Items(), "NewTextFile1", "New Text File");
  N7 = NewItem(ListPopup->Items(), "N7", "-");
  Properties1Mitm = NewItem(ListPopup->Items(), "Properties1Mitm", "&Properties");
  Paste2Mitm->OnClick = [this](TObject *sender) { Paste2MitmClick(sender); };
  NewFolder1->OnClick = [this](TObject *sender) { NewFolder1Click(sender); };
  NewTextFile1->OnClick = [this](TObject *sender) { NewTextFile1Click(sender); };
  Properties1Mitm->OnClick = [this](TObject *sender) { Properties1MitmClick(sender); };

  TabPopup = new TPopupMenu(this);
  TabPopup->Name = "TabPopup";
  New1 = NewItem(TabPopup->Items(), "New1", "New Tab");
  DuplicateTab1 = NewItem(TabPopup->Items(), "DuplicateTab1", "Duplicate Tab");
  DeleteTab1 = NewItem(TabPopup->Items(), "DeleteTab1", "Close Tab");
  DeleteTab1->SetEnabled(false);
  N1 = NewItem(TabPopup->Items(), "N1", "-");
  ParentFolder1 = NewItem(TabPopup->Items(), "ParentFolder1", "Parent Folder");
  New1->OnClick = [this](TObject *sender) { New1Click(sender); };
  DuplicateTab1->OnClick = [this](TObject *sender) { DuplicateTab1Click(sender); };
  DeleteTab1->OnClick = [this](TObject *sender) { DeleteTab1Click(sender); };
  ParentFolder1->OnClick = [this](TObject *sender) { ParentFolder1Click(sender); };

  OnCreate = [this](TObject *sender) { FormCreate(sender); };
  OnShow = [this](TObject *sender) { FormShow(sender); };
}

TFormMainExplorer::~TFormMainExplorer() {
  DestroyClosedTabs();
  FActiveTab = nullptr;
  while (!FTabs.empty()) {
    std::unique_ptr<TExplorerTab> tab = std::move(FTabs.back());
    FTabs.pop_back();
    DestroyTab(std::move(tab));
  }
  DestroyHandle();
}

TMenuItem *TFormMainExplorer::NewItem(TMenuItem *parent, const std::string &name, const std::string &caption) {
  auto *item = new TMenuItem(this);
  item->Name = name;
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

void TFormMainExplorer::CreateParams(TCreateParams &params) {
  TForm::CreateParams(params);
  params.WinClassName = "TFormMainExplorer";
}

void TFormMainExplorer::CreateWnd() {
  TForm::CreateWnd();
  PublishInstanceNumber();
}

void TFormMainExplorer::DestroyWnd() {
  RemovePropA(Handle(), InstanceNumberProperty);
  TForm::DestroyWnd();
}

void TFormMainExplorer::SetInstanceNumber(int value) {
  FInstanceNumber = value;
  PublishInstanceNumber();
}

void TFormMainExplorer::PublishInstanceNumber() {
  if (HandleAllocated())
    SetPropA(Handle(), InstanceNumberProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(FInstanceNumber)));
}

void TFormMainExplorer::WndProc(TMessage &message) {
  switch (message.Msg) {
  case WM_APPCOMMAND:
    WMAppCommand(message);
    return;
  case WM_DESTROYCLOSEDTABS:
    DestroyClosedTabs();
    return;
  case WM_SHOWSTARTERROR:
    ShowError(FStartError);
    return;
  default:
    TForm::WndProc(message);
  }
}

void TFormMainExplorer::WMAppCommand(TMessage &message) {
  switch (HIWORD(message.LParam)) {
  case MouseBrowserBackward:
    if (FActiveTab)
      FActiveTab->Tree->GoUp(1);
    return;
  case MouseBrowserForward:
    ShowMessageBox(WindowHandle(), "APPCOMMAND_BROWSER_FORWARD", Application ? Application->Title() : AppTitle, MB_OK);
    return;
  default:
    TForm::WndProc(message);
  }
}

void TFormMainExplorer::FormCreate(TObject *) {
  RECT workArea = {0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  SetBounds(0, 0, workArea.right - workArea.left, workArea.bottom - workArea.top);
  TabCreatePanel(nullptr);
}

void TFormMainExplorer::FormShow(TObject *) {
  AppTitle = "Zorvat File Manager";
  if (Application)
    Application->SetTitle(AppTitle);
  SetCaption(AppTitle + " v" ZOR_VERSION_TEXT);
  if (FActiveTab)
    FActiveTab->Tree->SetFocus();
}

// ---- Tabs ------------------------------------------------------------------------------------------------

void TFormMainExplorer::TabCreatePanel(TKdShellLocator *folder) {
  // The window exists first (the first tab is made with it). The tab is put together with the layout held
  // off, and laid out once, with the new tab shown: its windows are then made where they go, once each, and
  // the tab shown before is not laid out again for the new header bar before it is hidden.
  HandleNeeded();
  const bool hadFocus = FActiveTab && HasFocusIn(FActiveTab);
  TExplorerTab *tab = CreateTabControls(folder);
  if (hadFocus)
    tab->Tree->SetFocus();
  LendHeaderFont(tab->List);
  // What the tab went through while it was being made is no place to go back to.
  tab->History.Start(tab->Tree->CurrentFolder().GetIdList());
  UpdateGoMenu();
}

TExplorerTab *TFormMainExplorer::CreateTabControls(TKdShellLocator *folder) {
  // The strip is let go first: the window then places it at its new height.
  TAlignHold hold{HeaderStrip, this, PanelMain};
  auto owned = std::make_unique<TExplorerTab>();
  TExplorerTab *tab = owned.get();
  FTabs.insert(FTabs.begin(), std::move(owned));

  // Header bars stack at the top of the window, the newest topmost.
  auto *header = new TTabPanel(this, tab);
  header->SetParent(HeaderStrip);
  header->SetVisible(true);
  header->SetAlign(alTop);
  header->SetHeight(header->ScaleValue(24));
  header->BringToFront();
  header->Font().SetSize(10);
  header->Font().SetName("Tahoma");
  header->SetBevelOuter(bvLowered);
  header->SetPopupMenu(TabPopup);
  header->OnClick = [this](TObject *sender) { TabPanelClick(sender); };
  header->OnMouseUp = [this, tab](TObject *, TMouseButton button, TShiftState, int, int) {
    if (button == mbMiddle)
      CloseTab(tab);
  };
  tab->HeaderPanel = header;

  // Destroying the client area destroys everything in it.
  auto *client = new TPanel(PanelMain);
  client->SetVisible(false);
  client->SetParent(PanelMain);
  client->SetAlign(alClient);
  client->SetBevelOuter(bvNone);
  tab->ClientPanel = client;

  auto *treePane = new TPanel(client);
  treePane->SetParent(client);
  treePane->SetAlign(alLeft);
  treePane->SetBevelOuter(bvLowered);
  treePane->SetWidth(treePane->ScaleValue(ScreenWidthAt96() == 1280 ? 350 : 275));

  auto *listPane = new TPanel(client);
  listPane->SetParent(client);
  listPane->SetAlign(alClient);
  listPane->SetBevelOuter(bvLowered);

  auto *tree = new TTabShellTreeView(treePane, tab);
  tree->SetParent(treePane);
  tree->SetAlign(alClient);
  tree->SetAutoExpand(true);
  tree->SetHideSelection(false);
  tree->SetShowLines(false);
  tree->SetShowRoot(false);
  tree->SetChangeDelay(0);
  tree->OnChange = [this](TObject *sender, TTreeNode *node) { ShellTreeViewExplorerChange(sender, node); };
  tree->SetBorderStyle(bsNone);
  tree->SetBevelKind(bkFlat);
  tree->SetBevelInner(bvLowered);
  tree->SetBevelOuter(bvNone);
  tab->Tree = tree;

  auto *list = new TTabShellList(listPane, tab);
  list->OnFolderShown = [this](TExplorerTab *shown) { TabFolderShown(shown); };
  list->SetParent(listPane);
  list->SetAlign(alClient);
  list->SetViewStyle(vsReport);
  list->SetReadOnly(false);
  list->SetHideSelection(false);
  list->SetMultiSelect(true);
  list->SetPopupMenu(ListPopup);
  tree->SetShellList(list);
  list->SetBorderStyle(bsNone);
  tab->List = list;
  list->OnFillComplete = [this, tab](TObject *) { FStatusCounts->Changed(tab); };
  list->OnSelectionChange = [this, tab](TObject *) { FStatusCounts->Changed(tab); };
  list->OnNameFilterChange = [this, tab](TObject *) {
    if (tab->FilterBox)
      tab->FilterBox->FilterChanged();
    FStatusCounts->Changed(tab);
  };
  ApplyShowHidden(tab);

  // Aligned again after the splitter, the tree pane keeps the left edge and the splitter sits to its right.
  treePane->SetAlign(alNone);
  auto *splitter = new TSplitter(client);
  splitter->SetParent(client);
  splitter->SetAlign(alLeft);
  splitter->SetVisible(true);
  tab->Splitter = splitter;
  treePane->SetAlign(alLeft);

  if (folder)
    tree->SetCurrentFolder(folder);
  else
    tree->SetCurrentPath(MyComputerPath);
  // Empty until the tree has filled itself; its first selection then names the tab.
  header->SetCaption(tree->GetSelectedPath());
  ActivateTab(tab);
  return tab;
}

void TFormMainExplorer::LendHeaderFont(TKdShellList *list) {
  SendMessageW(ListView_GetHeader(list->Handle()), WM_SETFONT, reinterpret_cast<WPARAM>(Label1->Font().Handle()), TRUE);
}

void TFormMainExplorer::ChangeScale(int newPPI, int oldPPI) {
  TForm::ChangeScale(newPPI, oldPPI);
  // The lists have given their headers their own new fonts, and the font lent before is gone.
  for (const auto &tab : FTabs)
    LendHeaderFont(tab->List);
  // The counts follow the drive text, whose width is another now.
  FStatusCounts->Update();
}

void TFormMainExplorer::StyleHeader(TTabPanel *header, bool active) {
  if (active) {
    header->SetColor(clHighlight);
    header->Font().SetColor(clBtnHighlight);
    header->Font().SetStyle(fsBold);
  } else {
    header->SetColor(clBtnFace);
    header->SetBorderStyle(bsNone);
    header->Font().SetColor(clBtnText);
    header->Font().SetStyle(0);
    header->SetBevelOuter(bvLowered);
  }
}

bool TFormMainExplorer::HasFocusIn(TExplorerTab *tab) {
  HWND focus = GetFocus();
  return focus && tab->ClientPanel->HandleAllocated() && IsChild(tab->ClientPanel->WindowHandle(), focus);
}

void TFormMainExplorer::ActivateTab(TExplorerTab *tab) {
  TExplorerTab *previous = FActiveTab;
  bool hadFocus = false;
  if (previous && previous != tab) {
    StyleHeader(previous->HeaderPanel, false);
    // Only the active tab's controls are shown: a hidden tab can take no key and no click.
    hadFocus = HasFocusIn(previous);
    previous->ClientPanel->Hide();
  }
  StyleHeader(tab->HeaderPanel, true);
  tab->ClientPanel->BringToFront();
  FActiveTab = tab;
  tab->ClientPanel->Show();
  if (tab->Tree->HandleAllocated())
    tab->Tree->Repaint();
  // A new tab's tree has no window until the tab is laid out: TabCreatePanel focuses it then.
  if (hadFocus && tab->Tree->HandleAllocated())
    tab->Tree->SetFocus();
  FStatusCounts->Update();
  UpdateViewMenu();
  UpdateGoMenu();
}

void TFormMainExplorer::ShellTreeViewExplorerChange(TObject *Sender, TTreeNode *) {
  auto *tree = dynamic_cast<TTabShellTreeView *>(Sender);
  if (!tree)
    return;
  TExplorerTab *tab = tree->Tab;
  std::string path = tree->GetSelectedPath();
  // A virtual folder (My Computer) has no path: its name stands instead.
  std::string title = path;
  if (title.empty()) {
    TTreeNode *selected = tree->Selected();
    title = selected ? selected->Text() : std::string();
  }
  // A tab in the background still names the folder it shows (a refresh may have moved it).
  tab->HeaderPanel->SetCaption(title);
  if (tab != FActiveTab)
    return;
  PathTextBox->SetText(title);
  UpdateStatusBar(path);
  UpdateGoMenu();
}

void TFormMainExplorer::TabPanelClick(TObject *Sender) {
  auto *header = dynamic_cast<TTabPanel *>(Sender);
  if (!header)
    return;
  TExplorerTab *tab = header->Tab;
  if (std::none_of(FTabs.begin(), FTabs.end(), [&](const auto &open) { return open.get() == tab; }))
    return;
  PathTextBox->SetText(header->Caption());
  UpdateStatusBar(PathTextBox->Text());
  ActivateTab(tab);
}

void TFormMainExplorer::New1Click(TObject *) {
  TabCreatePanel(nullptr);
  DeleteTab1->SetEnabled(true);
}

void TFormMainExplorer::DuplicateTab1Click(TObject *) {
  if (!FActiveTab)
    return;
  TExplorerTab *original = FActiveTab;
  TabCreatePanel(&original->Tree->CurrentFolder());
  FActiveTab->History = original->History;
  UpdateGoMenu();
  DeleteTab1->SetEnabled(true);
}

void TFormMainExplorer::DeleteTab1Click(TObject *) { CloseTab(FActiveTab); }

void TFormMainExplorer::CloseTab(TExplorerTab *tab) {
  if (FTabs.size() < 2)
    return;
  auto closing = std::find_if(FTabs.begin(), FTabs.end(), [&](const auto &open) { return open.get() == tab; });
  if (closing == FTabs.end())
    return;
  const size_t index = static_cast<size_t>(closing - FTabs.begin());
  const size_t count = FTabs.size();
  std::unique_ptr<TExplorerTab> closed = std::move(*closing);
  FTabs.erase(closing);
  FReopenable.push_back(std::move(closed->History));
  if (FReopenable.size() > MaxClosedTabs)
    FReopenable.erase(FReopenable.begin());
  // Index 0 is the newest: the next older tab, or the next newer one when the oldest was closed.
  // The tab shown instead is described as a click on its header describes it: path box and status line.
  {
    // The tab shown instead is laid out once, for the header strip without the closed tab's bar.
    TAlignHold hold{HeaderStrip, this, PanelMain};
    if (closed.get() == FActiveTab)
      TabPanelClick(FTabs[index == count - 1 ? index - 1 : index]->HeaderPanel);
    closed->HeaderPanel->Hide();
  }
  FClosedTabs.push_back(std::move(closed));
  if (HandleAllocated())
    PostMessageW(WindowHandle(), WM_DESTROYCLOSEDTABS, 0, 0);
  else
    DestroyClosedTabs();
  if (FTabs.size() == 1)
    DeleteTab1->SetEnabled(false);
}

void TFormMainExplorer::DestroyClosedTabs() {
  std::vector<std::unique_ptr<TExplorerTab>> closed = std::move(FClosedTabs);
  FClosedTabs.clear();
  for (auto &tab : closed)
    DestroyTab(std::move(tab));
}

void TFormMainExplorer::DestroyTab(std::unique_ptr<TExplorerTab> tab) {
  // The list first (the tree lets go of it), the client area with the panes and the tree, the header last.
  delete tab->List;
  delete tab->Splitter;
  delete tab->ClientPanel;
  delete tab->HeaderPanel;
}

void TFormMainExplorer::PathTextBoxClick(TObject *) { PathTextBox->SelectAll(); }

void TFormMainExplorer::Exit1Click(TObject *) { Close(); }

void TFormMainExplorer::UpdateStatusBar(const std::string &path) {
  // Only "X:" with a letter names a drive: virtual folders can have paths like "::{GUID}".
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
    StatusBarLabel->SetCaption("");
  } else {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    std::string label = BGetVolumeInfo(letter);
    int64_t free = DiskFree(letter - 64);
    StatusBarLabel->SetCaption(label + " (" + letter + ":) Free: " + FormatSize(free));
  }
  FStatusCounts->Update();
}

namespace {

// value rounded half away from zero to the given decimals, with the user's decimal separator and no
// grouping.
std::string FormatFixed(double value, int decimals) {
  double scale = std::pow(10.0, decimals);
  auto scaled = static_cast<long long>(std::llround(value * scale));
  bool negative = scaled < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(scaled) : scaled;
  auto unit = static_cast<unsigned long long>(scale);
  std::string text;
  if (negative)
    text += '-';
  text += std::to_string(magnitude / unit);
  if (decimals > 0) {
    // A number needs some separator, even where the user set none.
    const std::string separator = UserLocaleText(LOCALE_SDECIMAL, ".");
    std::string fraction = std::to_string(magnitude % unit);
    text += separator.empty() ? std::string_view(".") : std::string_view(separator);
    text.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    text += fraction;
  }
  return text;
}

} // namespace

std::string TFormMainExplorer::FormatSize(int64_t bytes) {
  auto value = static_cast<double>(bytes);
  if (value / 1073741824 > 1)
    return FormatFixed(value / 1073741824, 2) + " GB";
  if (value / 1048576 > 1)
    return FormatFixed(value / 1048576, 2) + " MB";
  if (value / 1024 > 1)
    return FormatFixed(value / 1024, 2) + " KB";
  return FormatFixed(value, 0) + " B";
}

std::string TFormMainExplorer::BGetVolumeInfo(char letter) {
  std::string root = std::string(1, letter) + ":\\";
  // The wide call: a label in any script comes back whole, as UTF-8.
  wchar_t name[MAX_PATH + 1] = {};
  // A removable drive without a medium answers with an error instead of asking the user to insert one.
  UINT mode = SetErrorMode(0);
  SetErrorMode(mode | SEM_FAILCRITICALERRORS);
  BOOL ok = GetVolumeInformationW(Utf8ToWide(root).c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
  SetErrorMode(mode);
  return ok ? WideToUtf8(name) : std::string();
}
