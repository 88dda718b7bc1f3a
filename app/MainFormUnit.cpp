#include "app/MainFormUnit.h"

#include <cctype>
#include <cmath>
#include <string_view>

#include "shellctrls/DetailTexts.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

std::string AppTitle;

TFormMainExplorer::TFormMainExplorer(TComponent *AOwner) : TForm(AOwner) {
  Name = "FormMainExplorer";
  SetBounds(50, 50, 812, 615);
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
  SetMenu(MainMenu1);

  PanelMain = new TPanel(this);
  PanelMain->Name = "PanelMain";
  PanelMain->SetParent(this);
  PanelMain->SetAlign(alClient);
  PanelMain->SetBevelOuter(bvNone);

  MiddlePanel = new TPanel(this);
  MiddlePanel->Name = "MiddlePanel";
  MiddlePanel->SetParent(PanelMain);
  MiddlePanel->SetHeight(24);
  MiddlePanel->SetAlign(alTop);
  MiddlePanel->SetBevelOuter(bvLowered);
  MiddlePanel->SetAutoSize(true);

  PathTextBox = new TEdit(this);
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
  PathTextBox->SetBounds(1, 1, MiddlePanel->ClientWidth() - 2, 22);
  PathTextBox->SetAnchors(akLeft | akRight | akTop);
  PathTextBox->OnClick = [this](TObject *sender) { PathTextBoxClick(sender); };

  Panel1 = new TPanel(this);
  Panel1->Name = "Panel1";
  Panel1->SetParent(this);
  Panel1->SetHeight(24);
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
  StatusBarLabel->SetLeft(4);
  StatusBarLabel->SetTop(4);
  StatusBarLabel->Font().SetName("Tahoma");
  StatusBarLabel->Font().SetHeight(-13);

  ListPopup = new TPopupMenu(this);
  ListPopup->Name = "ListPopup";
  Paste2Mitm = NewItem(ListPopup->Items(), "Paste2Mitm", "P&aste");
  N6 = NewItem(ListPopup->Items(), "N6", "-");
  NewFolder1 = NewItem(ListPopup->Items(), "NewFolder1", "New Folder");
  NewTextFile1 = NewItem(ListPopup->Items(), "NewTextFile1", "New Text File");
  N7 = NewItem(ListPopup->Items(), "N7", "-");
  Properties1Mitm = NewItem(ListPopup->Items(), "Properties1Mitm", "&Properties");

  TabPopup = new TPopupMenu(this);
  TabPopup->Name = "TabPopup";
  New1 = NewItem(TabPopup->Items(), "New1", "New Tab");
  DuplicateTab1 = NewItem(TabPopup->Items(), "DuplicateTab1", "Duplicate Tab");
  DeleteTab1 = NewItem(TabPopup->Items(), "DeleteTab1", "Close Tab");
  DeleteTab1->SetEnabled(false);
  N1 = NewItem(TabPopup->Items(), "N1", "-");
  ParentFolder1 = NewItem(TabPopup->Items(), "ParentFolder1", "Parent Folder");

  OnCreate = [this](TObject *sender) { FormCreate(sender); };
  OnShow = [this](TObject *sender) { FormShow(sender); };
}

TFormMainExplorer::~TFormMainExplorer() { DestroyHandle(); }

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

void TFormMainExplorer::FormCreate(TObject *) {
  RECT workArea = {0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  SetBounds(0, 0, workArea.right - workArea.left, workArea.bottom - workArea.top);
}

void TFormMainExplorer::FormShow(TObject *) {
  AppTitle = "Zorvat File Manager";
  if (Application)
    Application->SetTitle(AppTitle);
  SetCaption(AppTitle + " v1.22");
}

void TFormMainExplorer::PathTextBoxClick(TObject *) { PathTextBox->SelectAll(); }

void TFormMainExplorer::Exit1Click(TObject *) { Close(); }

void TFormMainExplorer::UpdateStatusBar(const std::string &path) {
  // Only "X:" with a letter names a drive: virtual folders can have paths like "::{GUID}".
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
    StatusBarLabel->SetCaption("");
    return;
  }
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  std::string label = BGetVolumeInfo(letter);
  int64_t free = DiskFree(letter - 64);
  StatusBarLabel->SetCaption(label + " (" + letter + ":) Free: " + FormatSize(free));
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
