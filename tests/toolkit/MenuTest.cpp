#include <gtest/gtest.h>

#include <memory>

#include "common/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/MainMenu.h"
#include "toolkit/Panel.h"
#include "toolkit/PopupMenu.h"

namespace {

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

class Menus : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    menu = new TMainMenu(form.get());
    file = Item(menu->Items(), "&File");
    open = Item(file, "Open");
    Item(file, "-");
    exit = Item(file, "E&xit");
    exit->OnClick = [this](TObject *) { form->Close(); };
    form->SetMenu(menu);
    form->Show();
  }

  TMenuItem *Item(TMenuItem *parent, const std::string &caption) {
    auto *item = new TMenuItem(form.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }

  std::unique_ptr<TForm> form;
  TMainMenu *menu = nullptr;
  TMenuItem *file = nullptr;
  TMenuItem *open = nullptr;
  TMenuItem *exit = nullptr;
};

TEST_F(Menus, TheMenuBarShowsTheItemsAndFollowsTheirChanges) {
  HMENU bar = GetMenu(form->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuText(bar, 0), "&File");
  HMENU sub = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  EXPECT_EQ(MenuText(sub, 0), "Open");
  EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuText(sub, 2), "E&xit");

  open->SetEnabled(false);
  open->SetCaption("Open...");
  EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(MenuText(sub, 0), "Open...");
  open->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  delete open;
  open = nullptr;
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_EQ(file->Count(), 2);
}

TEST_F(Menus, FileExitClosesTheFormAndDisabledItemsDoNothing) {
  int opened = 0;
  open->OnClick = [&](TObject *) { ++opened; };
  open->SetEnabled(false);
  HMENU sub = GetSubMenu(GetMenu(form->Handle()), 0);
  PostMessageA(form->Handle(), WM_COMMAND, GetMenuItemID(sub, 0), 0);
  zortest::PumpFor(50);
  EXPECT_EQ(opened, 0);

  ASSERT_TRUE(IsWindowVisible(form->Handle()));
  PostMessageA(form->Handle(), WM_COMMAND, GetMenuItemID(sub, 2), 0);
  EXPECT_TRUE(zortest::PumpUntil([&] { return !IsWindowVisible(form->Handle()); }, 2000));
}

TEST_F(Menus, ClosingTheMainFormEndsTheApplicationsLoopAndNoLaterOne) {
  TApplication *saved = Application;
  bool timedOut = false;
  {
    TApplication app;
    Application = &app;
    auto *mainForm = app.CreateForm<TForm>();
    auto *bar = new TMainMenu(mainForm);
    auto *quit = new TMenuItem(mainForm);
    quit->SetCaption("Exit");
    bar->Items()->Add(quit);
    quit->OnClick = [mainForm](TObject *) { mainForm->Close(); };
    mainForm->SetMenu(bar);
    PostMessageA(mainForm->Handle(), WM_COMMAND, quit->Command(), 0);
    // Should the loop never end, this ends it (and the test fails).
    static bool *flag;
    flag = &timedOut;
    UINT_PTR timer = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
      *flag = true;
      PostQuitMessage(0);
    });
    app.Run();
    KillTimer(nullptr, timer);
    EXPECT_TRUE(app.Terminated());
    Application = saved;
  }
  EXPECT_FALSE(timedOut);

  // The thread's message loops after it still get their timers.
  static bool ticked;
  ticked = false;
  UINT_PTR tick = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ticked = true; });
  EXPECT_TRUE(zortest::PumpUntil([] { return ticked; }, 3000));
  KillTimer(nullptr, tick);
}

TEST_F(Menus, AControlsPopupMenuShowsOnContextMenuAndRunsTheChosenItem) {
  auto *panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetAlign(alClient);
  auto *popup = new TPopupMenu(form.get());
  auto *first = new TMenuItem(form.get());
  first->SetCaption("First");
  popup->Items()->Add(first);
  panel->SetPopupMenu(popup);
  int chosen = 0;
  int shown = 0;
  first->OnClick = [&](TObject *) { ++chosen; };
  popup->OnPopup = [&](TObject *) {
    ++shown;
    // Choose the first entry with the keyboard once the menu is up.
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      if (HWND menuWindow = FindWindowA("#32768", nullptr)) {
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
      } else {
        EndMenu();
      }
    });
  };
  POINT at = panel->ClientToScreen(POINT{20, 20});
  SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(at.x, at.y));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(popup->PopupComponent, panel);
  EXPECT_EQ(chosen, 1);

  popup->AutoPopup = false;
  SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(at.x, at.y));
  EXPECT_EQ(shown, 1);

  // The menu going away leaves no dangling reference in the control.
  delete popup;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
}

} // namespace
