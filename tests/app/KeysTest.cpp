// The main window's keys pressed as a user presses them (real input): tabs, each tab's history, the path box
// with its completion, and the keys that belong to text being edited.
#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowTest.h"
#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "shellns/UKdShell95.h"
#include "shellns/WineHost.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

using zortest::PumpUntil;
using zortest::TempDir;

// Keys pressed in order and released the other way round.
void Press(std::initializer_list<WORD> chord) { zortest::SendChord(chord); }

void Type(const std::string &text) { zortest::SendText(Utf8ToWide(text)); }

// Pasted as a user pastes, so that any text reaches the box.
void Paste(const std::string &text) {
  const std::wstring wide = Utf8ToWide(text);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(block), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  Press({VK_CONTROL, 'V'});
}

class Keys : public MainWindowTest {
protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(ShowWindow()); }

  TExplorerTab *Active() { return form->ActiveTab(); }
  size_t ActiveIndex() {
    for (size_t i = 0; i < form->Tabs().size(); ++i)
      if (form->Tabs()[i].get() == Active())
        return i;
    return SIZE_MAX;
  }
  // The active tab shows path, in its tree and its list.
  bool Shows(const std::string &path) {
    return PumpUntil(
        [&] { return Active()->Tree->GetSelectedPath() == path && Active()->List->Folder().GetPath() == path; }, 10000);
  }
  void Open(const std::string &path) {
    Active()->Tree->SetCurrentPath(path);
    ASSERT_TRUE(Shows(path));
    Active()->List->SetFocus();
  }
};

TEST_F(Keys, TabsOpenCloseSwitchAndReopenByKeysAndAMiddleClickClosesTheTabItIsOn) {
  TempDir temp;
  Open(temp.Path());
  Press({VK_CONTROL, 'T'});
  Press({VK_CONTROL, 'T'});
  ASSERT_EQ(form->Tabs().size(), 3u);
  EXPECT_EQ(ActiveIndex(), 0u);
  Press({VK_CONTROL, VK_TAB});
  EXPECT_EQ(ActiveIndex(), 1u);
  Press({VK_CONTROL, VK_SHIFT, VK_TAB});
  Press({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_EQ(ActiveIndex(), 2u) << "from the top header to the last";
  Press({VK_CONTROL, VK_TAB});
  EXPECT_EQ(ActiveIndex(), 0u) << "and back";
  Press({VK_CONTROL, '9'});
  EXPECT_EQ(Active()->Tree->GetSelectedPath(), temp.Path());
  Press({VK_CONTROL, '2'});
  EXPECT_EQ(ActiveIndex(), 1u);

  // The tab on the folder closed and brought back on it; the others keep their places.
  Press({VK_CONTROL, '3'});
  Press({VK_CONTROL, 'W'});
  ASSERT_EQ(form->Tabs().size(), 2u);
  EXPECT_EQ(ActiveIndex(), 1u);
  Press({VK_CONTROL, VK_SHIFT, 'T'});
  ASSERT_EQ(form->Tabs().size(), 3u);
  EXPECT_TRUE(Shows(temp.Path()));

  // A middle click closes the tab under it, not the one shown.
  TExplorerTab *shown = Active();
  RECT header;
  GetWindowRect(form->Tabs()[2]->HeaderPanel->Handle(), &header);
  SetCursorPos((header.left + header.right) / 2, (header.top + header.bottom) / 2);
  INPUT click[2] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_MIDDLEDOWN, 0, 0}}},
                    {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_MIDDLEUP, 0, 0}}}};
  SendInput(2, click, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return form->Tabs().size() == 2; }, 5000));
  EXPECT_EQ(Active(), shown);

  for (int i = 0; i < 3; ++i)
    Press({VK_CONTROL, 'W'});
  EXPECT_EQ(form->Tabs().size(), 1u) << "never the last";
}

TEST_F(Keys, BackForwardAndUpWalkTheTabsFoldersHoweverItGotThereAndTheGoMenuFollows) {
  TempDir temp;
  zortest::MakeDir(temp / "a");
  zortest::MakeDir(temp / "a\\b");
  Open(temp.Path());
  // By the path box, then by opening a row of the list.
  form->PathTextBox->SetText(temp / "a");
  SendMessageW(form->PathTextBox->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(Shows(temp / "a"));
  ASSERT_TRUE(PumpUntil([&] { return Active()->List->Items().Count() == 1; }, 5000));
  Active()->List->OpenItem(Active()->List->Items()[0]);
  ASSERT_TRUE(Shows(temp / "a\\b"));
  Active()->List->SetFocus();
  Press({VK_F5});

  Press({VK_MENU, VK_LEFT});
  EXPECT_TRUE(Shows(temp / "a")) << "a refresh is no step";
  Press({VK_MENU, VK_LEFT});
  EXPECT_TRUE(Shows(temp.Path()));
  EXPECT_TRUE(form->Back1->Enabled()) << "My Computer, where the tab began";
  EXPECT_TRUE(form->Forward1->Enabled());
  Press({VK_MENU, VK_RIGHT});
  EXPECT_TRUE(Shows(temp / "a"));

  // A duplicate takes the history along.
  form->DuplicateTab1Click(nullptr);
  ASSERT_TRUE(Shows(temp / "a"));
  Press({VK_MENU, VK_LEFT});
  EXPECT_TRUE(Shows(temp.Path()));
  Press({VK_CONTROL, 'W'});

  // A folder that went is passed over, silently.
  ASSERT_TRUE(zortest::RemoveTree(temp / "a\\b"));
  zortest::MessageBoxCapture boxes;
  Press({VK_MENU, VK_RIGHT});
  EXPECT_TRUE(Shows(temp / "a"));
  EXPECT_FALSE(form->Forward1->Enabled());
  EXPECT_TRUE(boxes.Boxes.empty());

  // Up, and Backspace in the list, are steps like any other.
  Press({VK_MENU, VK_UP});
  EXPECT_TRUE(Shows(temp.Path()));
  Press({VK_MENU, VK_LEFT});
  EXPECT_TRUE(Shows(temp / "a"));
  Active()->List->SetFocus();
  Press({VK_BACK});
  EXPECT_TRUE(Shows(temp.Path()));
  EXPECT_FALSE(form->Forward1->Enabled());
}

TEST_F(Keys, TheKeysThatPutTheFocusInThePathBoxSelectItsTextWhoseOwnKeysActOnItAndEscapeGivesTheFolderBack) {
  TempDir temp;
  zortest::WriteFileText(temp / "one.txt");
  zortest::WriteFileText(temp / "two.txt");
  Open(temp.Path());
  TPathTextBox *box = form->PathTextBox;
  for (std::initializer_list<WORD> chord : {std::initializer_list<WORD>{VK_CONTROL, 'L'}, {VK_MENU, 'D'}, {VK_F4}}) {
    Active()->List->SetFocus();
    Press(chord);
    EXPECT_EQ(GetFocus(), box->Handle());
    EXPECT_EQ(box->SelStart(), 0);
    EXPECT_EQ(static_cast<size_t>(box->SelLength()), Utf8ToWide(temp.Path()).size());
  }
  // Alt let go before the letter: no menu bar opens to take the keys typed next.
  Active()->List->SetFocus();
  INPUT altFirst[4] = {{INPUT_KEYBOARD, {.ki = {VK_MENU, 0, 0, 0, 0}}},
                       {INPUT_KEYBOARD, {.ki = {'D', 0, 0, 0, 0}}},
                       {INPUT_KEYBOARD, {.ki = {VK_MENU, 0, KEYEVENTF_KEYUP, 0, 0}}},
                       {INPUT_KEYBOARD, {.ki = {'D', 0, KEYEVENTF_KEYUP, 0, 0}}}};
  // Were a menu to open, its loop would hold the test: a timer ends it and tells.
  static bool menuOpened = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 1000, [](HWND, UINT, UINT_PTR, DWORD) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE))
      menuOpened = EndMenu();
  });
  SendInput(4, altFirst, sizeof(INPUT));
  zortest::PumpFor(150);
  Type("x:\\typed");
  zortest::PumpFor(1200);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(menuOpened);
  EXPECT_EQ(box->Text(), "x:\\typed");
  Press({VK_CONTROL, 'A'});
  EXPECT_EQ(box->SelLength(), 8) << "the text's, not the list's";
  EXPECT_EQ(Active()->List->SelCount(), 0);
  Press({VK_ESCAPE});
  EXPECT_EQ(box->Text(), temp.Path());
  EXPECT_EQ(GetFocus(), Active()->List->Handle());

  // A name being edited keeps every key: the window's do nothing meanwhile.
  Active()->List->Items()[0]->SetSelected(true);
  Active()->List->Items()[0]->EditCaption();
  ASSERT_TRUE(Active()->List->IsEditing());
  Press({VK_CONTROL, 'W'});
  Press({VK_CONTROL, 'T'});
  Press({VK_MENU, VK_UP});
  EXPECT_EQ(form->Tabs().size(), 1u);
  EXPECT_TRUE(Shows(temp.Path()));
  Press({VK_ESCAPE});
  EXPECT_FALSE(Active()->List->IsEditing());
}

TEST_F(Keys, ThePathBoxOffersTheFoldersCompletingTheTypedTextAndDownTabAndEnterTakeThem) {
  TempDir temp;
  for (const char *folder : {"Alpha", "alpine", "beta", ".hidden"})
    zortest::MakeDir(temp / folder);
  SetFileAttributesA((temp / ".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  zortest::WriteFileText(temp / "alps.txt");
  TPathTextBox *box = form->PathTextBox;
  Press({VK_CONTROL, 'L'});
  Type(temp / "al");
  ASSERT_TRUE(PumpUntil([&] { return box->OffersShown(); }, 5000));
  EXPECT_EQ(box->Offers(), (std::vector<std::string>{temp / "Alpha", temp / "alpine"}));
  Press({VK_DOWN});
  Press({VK_DOWN});
  EXPECT_EQ(box->Text(), temp / "alpine");
  Press({VK_TAB});
  EXPECT_EQ(box->Text(), temp / "alpine\\");
  EXPECT_EQ(GetFocus(), box->Handle());
  Press({VK_RETURN});
  EXPECT_TRUE(Shows(temp / "alpine"));

  // Unix paths under Wine; hidden folders only while hidden items are shown.
  const std::string unix = zortest::UnixPathOf(temp.Path());
  if (!unix.empty()) {
    Press({VK_CONTROL, 'L'});
    Type(unix + "/ALP");
    ASSERT_TRUE(PumpUntil([&] { return box->OffersShown(); }, 5000));
    EXPECT_EQ(box->Offers(), (std::vector<std::string>{unix + "/Alpha", unix + "/alpine"}));
  }
  Press({VK_CONTROL, 'L'});
  Type(temp.Path() + "\\.");
  ASSERT_TRUE(PumpUntil([&] { return box->OffersShown(); }, 5000));
  EXPECT_EQ(box->Offers(), std::vector<std::string>{temp / ".hidden"});
  form->ShowHiddenItems1Click(nullptr);
  Press({VK_BACK});
  Type(".");
  EXPECT_FALSE(box->OffersShown());

  // Nothing for a drive that is not there, a name of control characters or one far too long, and no box.
  zortest::MessageBoxCapture boxes;
  for (const std::string &text :
       {std::string("Q:\\"), std::string("C:\\\x01\x02\\"), "C:\\" + std::string(5000, 'x') + "\\"}) {
    Press({VK_CONTROL, 'A'});
    Paste(text);
    zortest::PumpFor(500);
    EXPECT_EQ(box->Text(), text);
    EXPECT_FALSE(box->OffersShown()) << text.substr(0, 10);
  }
  EXPECT_TRUE(boxes.Boxes.empty());
}

} // namespace
