#include "app/StatusCounts.h"

#include <utility>

#include "app/ExplorerTab.h"
#include "shellctrls/UKdShellControls.h"
#include "shellctrls/list/DetailTexts.h"
#include "toolkit/Application.h"
#include "toolkit/Label.h"

namespace {

constexpr UINT CountMessage = WM_APP + 1;
// Room between the drive text and the counts, and between the counts and the selection.
constexpr int Gap = 24;
const char *const Separator = "        ";

std::string Items(int count) { return FormatCount(static_cast<uint64_t>(count)) + (count == 1 ? " item" : " items"); }

} // namespace

TListCounts CountList(TKdCustomShellList &list) {
  TListCounts counts;
  counts.Shown = list.ShownCount();
  counts.Total = list.Items().Count();
  counts.Filtered = list.RowFilterActive();
  counts.Selected = list.SelCount();
  auto add = [&](TListItem *item) {
    uint64_t size = 0;
    if (TKdShListData *data = TKdCustomShellList::ShellData(item); data && data->GetFileSize(size)) {
      ++counts.FilesSelected;
      counts.SelectedBytes += size;
    }
  };
  // Every row selected (Ctrl+A): the rows are walked directly rather than asked of the control one by one.
  if (counts.Selected > 0 && counts.Selected == counts.Shown) {
    for (int i = 0; i < counts.Shown; ++i)
      add(list.ShownItem(i));
  } else if (counts.Selected > 0) {
    for (TListItem *item = list.Selected(); item; item = list.GetNextItem(item, sdAll, isSelected))
      add(item);
  }
  counts.SizeText = list.SizeColumnText(counts.SelectedBytes);
  return counts;
}

std::string CountsText(const TListCounts &counts) {
  std::string text = counts.Filtered
                         ? FormatCount(static_cast<uint64_t>(counts.Shown)) + " of " + Items(counts.Total) + " shown"
                         : Items(counts.Shown);
  if (counts.Selected > 0) {
    text += Separator + FormatCount(static_cast<uint64_t>(counts.Selected)) + " selected";
    if (counts.FilesSelected > 0)
      text += ", " + counts.SizeText;
  }
  return text;
}

TStatusCounts::TStatusCounts(TWinControl *panel, TLabel *driveLabel, std::function<TExplorerTab *()> activeTab)
    : FLabel(new TLabel(panel)), FDriveLabel(driveLabel), FActiveTab(std::move(activeTab)) {
  FLabel->Name = "StatusCountsLabel";
  FLabel->SetParent(panel);
  FLabel->SetTop(driveLabel->Top());
  FLabel->Font().Assign(driveLabel->Font());
  FWindow = AllocateMessageHWnd(
      [this](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Message(wnd, msg, wParam, lParam); });
}

TStatusCounts::~TStatusCounts() { DeallocateHWnd(FWindow); }

void TStatusCounts::Changed(TExplorerTab *tab) {
  if (tab != FActiveTab() || FPosted)
    return;
  FPosted = PostMessageW(FWindow, CountMessage, 0, 0);
  if (!FPosted)
    Update();
}

LRESULT TStatusCounts::Message(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != CountMessage)
    return DefWindowProcW(wnd, msg, wParam, lParam);
  FPosted = false;
  Update();
  return 0;
}

void TStatusCounts::Update() {
  TExplorerTab *tab = FActiveTab();
  const std::string text = tab && tab->List ? CountsText(CountList(*tab->List)) : std::string();
  const bool drive = !FDriveLabel->Caption().empty();
  FLabel->SetLeft(drive ? FDriveLabel->Left() + FDriveLabel->Width() + FLabel->ScaleValue(Gap) : FDriveLabel->Left());
  if (text != FLabel->Caption())
    FLabel->SetCaption(text);
}

std::string TStatusCounts::Text() const { return FLabel->Caption(); }
