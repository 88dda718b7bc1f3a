// The main window on a screen of twice 96 dots per inch: everything it sizes itself is twice as large, the
// text included, and nothing is cut.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Splitter.h"

namespace {

using zortest::PumpUntil;

int TextHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

int WindowTextHeight(HWND wnd) { return TextHeight(reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0))); }

int IconWidth(HIMAGELIST list) {
  int width = 0, height = 0;
  ImageList_GetIconSize(list, &width, &height);
  return width;
}

int HeightOf(HWND wnd) {
  RECT rect;
  GetWindowRect(wnd, &rect);
  return rect.bottom - rect.top;
}

// Everything the window sizes itself, by name, in the active tab.
std::map<std::string, int> Sizes(TFormMainExplorer &form) {
  TExplorerTab *tab = form.ActiveTab();
  HWND list = tab->List->Handle();
  HWND header = ListView_GetHeader(list);
  RECT tree;
  GetWindowRect(tab->Tree->Handle(), &tree);
  std::map<std::string, int> sizes = {
      {"tab header bar", tab->HeaderPanel->Height()},
      {"tab header text", TextHeight(tab->HeaderPanel->Font().Handle())},
      {"path bar", form.MiddlePanel->Height()},
      {"path box", form.PathTextBox->Height()},
      {"path box left", form.PathTextBox->Left()},
      {"path box text", WindowTextHeight(form.PathTextBox->Handle())},
      {"status bar", form.Panel1->Height()},
      {"status text", form.StatusBarLabel->Height()},
      {"status left", form.StatusBarLabel->Left()},
      {"status top", form.StatusBarLabel->Top()},
      {"panel bevel", form.MiddlePanel->BevelWidth()},
      {"tree pane", tab->Tree->Parent()->Width()},
      {"tree frame", tab->Tree->ClientToScreen({0, 0}).x - tree.left},
      {"tree text", WindowTextHeight(tab->Tree->Handle())},
      {"tree icons", IconWidth(TreeView_GetImageList(tab->Tree->Handle(), TVSIL_NORMAL))},
      {"splitter", tab->Splitter->Width()},
      {"list text", WindowTextHeight(list)},
      {"list small icons", IconWidth(ListView_GetImageList(list, LVSIL_SMALL))},
      {"column header text", WindowTextHeight(header)},
  };
  for (int i = 0; i < 4; ++i)
    sizes["column " + std::to_string(i)] = tab->List->Columns()[i]->Width();
  return sizes;
}

void ExpectTwice(const std::map<std::string, int> &at96, const std::map<std::string, int> &at192, const char *when) {
  for (const auto &[name, size] : at96)
    EXPECT_LE(std::abs(at192.at(name) - 2 * size), 1)
        << when << ": " << name << " is " << at192.at(name) << " at 192 dpi, " << size << " at 96";
}

TEST(Dpi, AtTwice96DotsPerInchEverySizeIsTwiceAndTheTabCaptionFitsItsBar) {
  zortest::TempDir dir;
  for (const char *name : {"alpha.txt", "beta.txt", "gamma.txt"})
    zortest::WriteFileText(dir / name, "x");
  const std::string savedTitle = Application->Title();
  std::unique_ptr<TFormMainExplorer> form(TForm::Create<TFormMainExplorer>(nullptr));
  form->SetWindowState(wsNormal);
  form->Show();
  form->OpenStartFolders({dir.Path(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"});
  ASSERT_EQ(form->Tabs().size(), 2u);
  TExplorerTab *tab = form->ActiveTab();
  ASSERT_TRUE(PumpUntil([&] { return tab->List->Items().Count() == 3; }, 10000));
  const std::map<std::string, int> at96 = Sizes(*form);
  const int largeIcons96 = IconWidth(ListView_GetImageList(tab->List->Handle(), LVSIL_NORMAL));

  // The platform suggests where the window goes on the new monitor: it goes there.
  const RECT suggested = {20, 30, 20 + 1000, 30 + 800};
  zortest::MoveToDpi(form->Handle(), 192, &suggested);
  zortest::PumpFor(100);
  RECT place;
  GetWindowRect(form->Handle(), &place);
  EXPECT_TRUE(EqualRect(&place, &suggested));
  ExpectTwice(at96, Sizes(*form), "moved to 192 dpi");
  // The shell keeps large icons of 16, 32, 48 and 256 pixels under a session of 96 dpi: the nearest to 64.
  EXPECT_GT(IconWidth(ListView_GetImageList(tab->List->Handle(), LVSIL_NORMAL)), largeIcons96);

  // The caption's letters fit between the bar's bevels; the column header (whose margins are the control's
  // own) grows with its text.
  TTabPanel *bar = tab->HeaderPanel;
  EXPECT_LE(TextHeight(bar->Font().Handle()), bar->Height() - 2 * bar->BevelWidth());
  HWND header = ListView_GetHeader(tab->List->Handle());
  EXPECT_GE(HeightOf(header), WindowTextHeight(header));

  // Columns built anew, and a tab opened now, are of the new resolution too.
  form->Refresh1Click(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return tab->List->Items().Count() == 3; }, 10000));
  form->New1Click(nullptr);
  form->ShowTab(1);
  ASSERT_EQ(form->ActiveTab(), tab);
  ExpectTwice(at96, Sizes(*form), "refreshed");
  EXPECT_EQ(form->Tabs()[0]->HeaderPanel->Height(), 48);

  form.reset();
  Application->SetTitle(savedTitle);
}

} // namespace
