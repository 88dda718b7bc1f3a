#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "MainWindowTest.h"
#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

RECT WorkArea() {
  RECT area = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

std::string Captions(TMenuItem *root) {
  std::string all;
  for (int i = 0; i < root->Count(); ++i)
    all += (i ? "|" : "") + root->Items(i)->Name + "=" + root->Items(i)->Caption();
  return all;
}

class MainForm : public MainWindowTest {
protected:
  void SetUp() override { MakeWindow(); }
};

TEST_F(MainForm, OpensMaximizedOnTheWorkAreaWithItsTitle) {
  RECT area = WorkArea();
  int width = area.right - area.left, height = area.bottom - area.top;
  // Its window is made maximized, hidden until shown; restored, it takes the work area.
  WINDOWPLACEMENT made = {};
  made.length = sizeof made;
  GetWindowPlacement(form->Handle(), &made);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(made.rcNormalPosition.left, 0);
  EXPECT_EQ(made.rcNormalPosition.top, 0);
  EXPECT_EQ(made.rcNormalPosition.right, width);
  EXPECT_EQ(made.rcNormalPosition.bottom, height);

  form->Show();
  HWND wnd = form->Handle();
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_TRUE(IsZoomed(wnd));
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(wnd, &placement);
  EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, width);
  EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, height);
  RECT client;
  GetClientRect(wnd, &client);
  POINT origin = {0, 0};
  ClientToScreen(wnd, &origin);
  EXPECT_LE(origin.y + client.bottom, area.bottom);
  EXPECT_GE(client.right, width - 16) << "the maximized window covers the work area";

  char caption[128] = {};
  GetWindowTextA(wnd, caption, sizeof caption);
  EXPECT_STREQ(caption, "Zorvat File Manager v1.22");
  EXPECT_EQ(Application->Title(), "Zorvat File Manager");
  EXPECT_EQ(AppTitle, "Zorvat File Manager");
}

// An icon drawn at size x size on white, as pixels.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
  return zortest::DrawnOnWhite(size, size,
                               [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); })
      .Pixels;
}

// The tests carry the program's icon resource as the program does; the window's caption and task-switcher
// icons are the program's, each in the size the platform draws it.
TEST_F(MainForm, ShowsTheProgramsIconInTheSizesThePlatformDrawsIt) {
  form->Show();
  HMODULE program = LoadLibraryExW(Utf8ToWide(zortest::ExeDir() + "\\ZorExplorer.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  for (auto [which, metric] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
    int size = GetSystemMetrics(metric);
    auto shown = reinterpret_cast<HICON>(SendMessageW(form->Handle(), WM_GETICON, which, 0));
    ASSERT_NE(shown, nullptr) << "icon " << which;
    auto own = static_cast<HICON>(LoadImageW(program, L"MAINICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(own, nullptr);
    std::vector<COLORREF> expected = IconPixels(own, size);
    EXPECT_EQ(IconPixels(shown, size), expected) << "icon " << which;
    EXPECT_NE(expected, std::vector<COLORREF>(static_cast<size_t>(size) * size, RGB(255, 255, 255)));
    DestroyIcon(own);
  }
  FreeLibrary(program);
}

TEST_F(MainForm, HoldsTheControlsOfItsFormTable) {
  form->Show();
  EXPECT_EQ(form->PanelMain->Parent(), form.get());
  EXPECT_EQ(form->PanelMain->Align(), alClient);
  EXPECT_EQ(form->PanelMain->BevelOuter(), bvNone);
  EXPECT_EQ(form->MiddlePanel->Parent(), form->PanelMain);
  EXPECT_EQ(form->MiddlePanel->Align(), alTop);
  EXPECT_EQ(form->MiddlePanel->Height(), 24);
  EXPECT_EQ(form->MiddlePanel->BevelOuter(), bvLowered);
  EXPECT_EQ(form->Panel1->Parent(), form.get());
  EXPECT_EQ(form->Panel1->Align(), alBottom);
  EXPECT_EQ(form->Panel1->Height(), 24);
  EXPECT_FALSE(form->Label1->Visible());
  EXPECT_EQ(form->Label1->Font().Height(), -16);
  EXPECT_EQ(form->StatusBarLabel->Left(), 4);
  EXPECT_EQ(form->StatusBarLabel->Top(), 4);
  EXPECT_EQ(form->StatusBarLabel->Font().Height(), -13);
  EXPECT_EQ(form->FindComponent("StatusBarLabel"), form->StatusBarLabel);
  EXPECT_EQ(form->FindComponent("PathTextBox"), form->PathTextBox);

  // The status panel sits at the bottom of the window, the path box right under the tab's header bar, across
  // the whole width inside its panel's bevel.
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(form->Panel1->Top() + form->Panel1->Height(), client.bottom);
  TPanel *header = form->ActiveTab()->HeaderPanel;
  EXPECT_EQ(header->Top(), 0);
  EXPECT_EQ(header->Height(), 24);
  EXPECT_EQ(header->Height() + form->PanelMain->Height() + form->Panel1->Height(), client.bottom);
  EXPECT_EQ(form->MiddlePanel->Width(), client.right);
  EXPECT_EQ(form->PathTextBox->Left(), 1);
  EXPECT_EQ(form->PathTextBox->Top(), 1);
  EXPECT_EQ(form->PathTextBox->Height(), 22);
  EXPECT_EQ(form->PathTextBox->Left() + form->PathTextBox->Width(), client.right - 1);
  EXPECT_EQ(form->PathTextBox->Font().Height(), -13);
}

TEST_F(MainForm, HasItsMenusWithCloseTabDisabled) {
  form->Show();
  HMENU bar = GetMenu(form->Handle());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  EXPECT_EQ(MenuText(bar, 0), "File");
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(file), 1);
  EXPECT_EQ(MenuText(file, 0), "Exit");
  EXPECT_EQ(GetMenuItemID(file, 0), form->Exit1->Command());
  EXPECT_EQ(MenuText(bar, 1), "View");
  EXPECT_EQ(Captions(form->View1), "ShowHiddenItems1=Show Hidden Items|N2=-|Details1=Details|List1=List|"
                                   "SmallIcons1=Small Icons|LargeIcons1=Large Icons|N3=-|Refresh1=Refresh\tF5");
  EXPECT_TRUE(form->ShowHiddenItems1->Checked());
  EXPECT_TRUE(form->Details1->Checked());
  EXPECT_EQ(MenuText(bar, 2), "Go");
  EXPECT_EQ(Captions(form->Go1), "Back1=Back\tAlt+Left|Forward1=Forward\tAlt+Right|UpOneLevel1=Parent Folder\tAlt+Up");
  EXPECT_FALSE(form->Back1->Enabled());
  EXPECT_FALSE(form->Forward1->Enabled());

  EXPECT_EQ(Captions(form->ListPopup->Items()), "Paste2Mitm=P&aste|N6=-|NewFolder1=New Folder|"
                                                "NewTextFile1=New Text File|N7=-|Properties1Mitm=&Properties");
  EXPECT_EQ(Captions(form->TabPopup->Items()),
            "New1=New Tab|DuplicateTab1=Duplicate Tab|DeleteTab1=Close Tab|N1=-|ParentFolder1=Parent Folder");
  EXPECT_FALSE(form->DeleteTab1->Enabled());
  EXPECT_TRUE(form->New1->Enabled());
  EXPECT_TRUE(GetMenuState(form->TabPopup->Handle(), 2, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(MainForm, ClickingThePathBoxSelectsAllItsText) {
  form->Show();
  form->PathTextBox->SetText("C:\\users\\\xC3\xA9t\xC3\xA9");
  HWND box = form->PathTextBox->Handle();
  SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(form->PathTextBox->SelStart(), 0);
  EXPECT_EQ(form->PathTextBox->SelLength(), 12);
}

TEST(MainWindow, FileExitClosesItAndEndsTheProgramsLoop) {
  TApplication *saved = Application;
  std::string savedTitle = saved->Title();
  static bool timedOut;
  timedOut = false;
  bool wasShown = false;
  {
    TApplication app;
    Application = &app;
    auto *form = app.CreateForm<TFormMainExplorer>();
    HWND wnd = form->Handle();
    UINT exitCommand = GetMenuItemID(GetSubMenu(GetMenu(wnd), 0), 0);
    PostMessageA(wnd, WM_COMMAND, exitCommand, 0);
    form->OnShow = [&](TObject *sender) {
      wasShown = true;
      form->FormShow(sender);
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
      timedOut = true;
      PostQuitMessage(0);
    });
    app.Run();
    KillTimer(nullptr, timer);
    Application = saved;
  }
  saved->SetTitle(savedTitle);
  EXPECT_TRUE(wasShown);
  EXPECT_FALSE(timedOut);
}

std::string Decimal() {
  std::string separator = zortest::UserLocaleText(LOCALE_SDECIMAL);
  return separator.empty() ? "." : separator;
}

TEST(FormatSize, UsesTheLargestUnitTheValueExceedsStrictly) {
  std::string d = Decimal();
  EXPECT_EQ(TFormMainExplorer::FormatSize(0), "0 B");
  EXPECT_EQ(TFormMainExplorer::FormatSize(500), "500 B");
  EXPECT_EQ(TFormMainExplorer::FormatSize(1024), "1024 B");
  EXPECT_EQ(TFormMainExplorer::FormatSize(1025), "1" + d + "00 KB");
  EXPECT_EQ(TFormMainExplorer::FormatSize(1536), "1" + d + "50 KB");
  EXPECT_EQ(TFormMainExplorer::FormatSize(1152), "1" + d + "13 KB") << "1.125 rounds away from zero";
  EXPECT_EQ(TFormMainExplorer::FormatSize(1048576), "1024" + d + "00 KB");
  EXPECT_EQ(TFormMainExplorer::FormatSize(1073741824), "1024" + d + "00 MB");
  EXPECT_EQ(TFormMainExplorer::FormatSize(5368709120LL), "5" + d + "00 GB");
  EXPECT_EQ(TFormMainExplorer::FormatSize(5LL << 40), "5120" + d + "00 GB") << "no unit above GB, no grouping";
  EXPECT_EQ(TFormMainExplorer::FormatSize(-1), "-1 B");
}

TEST(FormatSize, TheUsersDecimalSeparatorComesThroughAsUtf8) {
  for (const wchar_t *separator : {L"\u066B", L"\u00A0"}) {
    zortest::UserLocaleOverride decimal(LOCALE_SDECIMAL, separator);
    ASSERT_TRUE(decimal.Applied()) << "the user's decimal separator cannot be changed here";
    std::string expected = "1";
    expected += WideToUtf8(separator);
    expected += "50 KB";
    EXPECT_EQ(TFormMainExplorer::FormatSize(1536), expected);
  }
}

TEST_F(MainForm, StatusLineDescribesTheDriveOfAPathAndClearsForAnythingElse) {
  std::string d = Decimal();
  const std::regex size("-?[0-9]+ B|[0-9]+\\" + d + "[0-9]{2} (KB|MB|GB)");
  form->UpdateStatusBar("C:\\windows");
  std::string text = form->StatusBarLabel->Caption();
  std::string prefix = TFormMainExplorer::BGetVolumeInfo('C') + " (C:) Free: ";
  ASSERT_EQ(text.substr(0, prefix.size()), prefix);
  EXPECT_TRUE(std::regex_match(text.substr(prefix.size()), size)) << text;
  EXPECT_NE(text.substr(prefix.size()), "-1 B");

  form->UpdateStatusBar("c:");
  EXPECT_EQ(form->StatusBarLabel->Caption().substr(0, prefix.size()), prefix) << "lower-case letters too";

  // A drive that does not exist: no label, free space unknown.
  form->UpdateStatusBar("Q:\\nothing");
  EXPECT_EQ(form->StatusBarLabel->Caption(), " (Q:) Free: -1 B");

  for (const char *notADrive : {"", "C", "\\\\server\\share", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "1:\\x"}) {
    form->UpdateStatusBar("C:\\");
    form->UpdateStatusBar(notADrive);
    EXPECT_EQ(form->StatusBarLabel->Caption(), "") << notADrive;
  }
}

TEST(VolumeInfo, EmptyForADriveThatCannotBeReadAndTheErrorModeComesBack) {
  const UINT saved = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_EQ(TFormMainExplorer::BGetVolumeInfo('Q'), "");
  EXPECT_EQ(SetErrorMode(saved), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

} // namespace

TEST_F(MainForm, TheListsColumnHeaderIsOnTheScreenOnceTheFirstFolderShows) {
  // The rows of a fill are made with the list's drawing held; its column header must come back on the screen
  // with the list, as the user sees it, without anything else drawing it.
  form->Show();
  TKdShellList *list = form->ActiveTab()->List;
  ASSERT_TRUE(zortest::PumpUntil([&] { return list->Items().Count() > 0; }, 10000));
  zortest::PumpFor(500);
  const zortest::TPicture picture = zortest::ScreenPicture(ListView_GetHeader(list->Handle()));
  // A header is light with dark captions; one never drawn is what the screen had there (black here).
  const auto light = std::count_if(picture.Pixels.begin(), picture.Pixels.end(), [](COLORREF pixel) {
    return GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) > 3 * 128;
  });
  EXPECT_GT(light, static_cast<long>(picture.Pixels.size() / 2));
}
