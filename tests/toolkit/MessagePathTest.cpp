// How messages find their control: reflected item measuring, notifications of windows that are not
// toolkit controls, the text format of the loop and the notifications, special keys, colour changes and
// the messages of a tracked popup menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/Panel.h"

namespace {

// "été-日本-Ёж-😀": Latin, CJK, Cyrillic and a character outside the 16-bit plane (a surrogate pair).
const std::string AnyName = "\xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC-\xD0\x81\xD0\xB6-\xF0\x9F\x98\x80";
const std::wstring AnyNameWide = L"\u00E9t\u00E9-\u65E5\u672C-\u0401\u0436-\U0001F600";

// Posts the characters as a keyboard does, one UTF-16 unit per WM_CHAR, for the application's loop to
// deliver.
void PostTyping(HWND wnd, const std::wstring &text) {
  for (wchar_t unit : text)
    PostMessageW(wnd, WM_CHAR, unit, 1);
}

// An owner-drawn list box whose items are as high as the control says when it is asked.
class MeasuredList : public TWinControl {
public:
  MeasuredList(TComponent *owner, UINT itemHeight) : TWinControl(owner), FItemHeight(itemHeight) {
    SetBounds(0, 0, 100, 100);
  }

protected:
  void CreateParams(TCreateParams &params) override {
    TWinControl::CreateParams(params);
    params.WinClassName = "TestMeasuredList";
    params.BaseClassName = "LISTBOX";
    params.Style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;
  }
  void WndProc(TMessage &message) override {
    if (message.Msg == CN_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT *>(message.LParam)->itemHeight = FItemHeight;
      message.Result = TRUE;
      return;
    }
    TWinControl::WndProc(message);
  }

private:
  UINT FItemHeight;
};

// A report list view of one column with label editing, recording the notifications it gets back from its
// parent and those of its own children.
class RecordingListView : public TWinControl {
public:
  explicit RecordingListView(TComponent *owner) : TWinControl(owner) { SetBounds(0, 40, 300, 200); }

  std::vector<UINT> Codes;
  std::wstring EditedText;
  // The codes of the WM_NOTIFY messages ChildNotify received, with their senders.
  std::vector<std::pair<HWND, UINT>> Foreign;

protected:
  void CreateParams(TCreateParams &params) override {
    TWinControl::CreateParams(params);
    params.WinClassName = "TestListView";
    params.BaseClassName = WC_LISTVIEWA;
    params.Style |= LVS_REPORT | LVS_EDITLABELS | WS_TABSTOP;
  }
  void CreateWnd() override {
    TWinControl::CreateWnd();
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 150;
    column.pszText = const_cast<wchar_t *>(L"Name");
    SendMessageW(WindowHandle(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }
  void WndProc(TMessage &message) override {
    if (message.Msg == CN_NOTIFY) {
      auto *header = reinterpret_cast<NMHDR *>(message.LParam);
      Codes.push_back(header->code);
      if (header->code == LVN_ENDLABELEDITW) {
        auto *info = reinterpret_cast<NMLVDISPINFOW *>(message.LParam);
        EditedText = info->item.pszText ? info->item.pszText : L"";
        message.Result = TRUE;
        return;
      }
    }
    TWinControl::WndProc(message);
  }
  void ChildNotify(HWND from, TMessage &message) override {
    if (message.Msg == WM_NOTIFY)
      Foreign.emplace_back(from, reinterpret_cast<NMHDR *>(message.LParam)->code);
    TWinControl::ChildNotify(from, message);
  }
};

class MessagePaths : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 400);
    panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetAlign(alClient);
  }

  std::unique_ptr<TForm> form;
  TPanel *panel = nullptr;
};

TEST_F(MessagePaths, EveryOwnerDrawnChildMeasuresItsOwnItems) {
  auto *first = new MeasuredList(form.get(), 17);
  first->SetParent(panel);
  auto *second = new MeasuredList(form.get(), 29);
  second->SetParent(panel);
  SendMessageW(first->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
  SendMessageW(second->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"two"));
  EXPECT_EQ(SendMessageW(first->Handle(), LB_GETITEMHEIGHT, 0, 0), 17);
  EXPECT_EQ(SendMessageW(second->Handle(), LB_GETITEMHEIGHT, 0, 0), 29);
}

TEST_F(MessagePaths, AnyNameSurvivesTypingInPlaceEditingAndDisplay) {
  form->Show();
  auto *edit = new TEdit(form.get());
  edit->SetParent(panel);
  std::wstring pressed;
  edit->OnKeyPress = [&](TObject *, wchar_t &key) { pressed += key; };
  PostTyping(edit->Handle(), AnyNameWide);
  zortest::PumpFor(100);
  EXPECT_EQ(pressed, AnyNameWide) << "KeyPress sees every UTF-16 unit, the surrogate pair as two";
  EXPECT_EQ(edit->Text(), AnyName);

  auto *list = new RecordingListView(form.get());
  list->SetParent(panel);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t *>(L"old");
  SendMessageW(list->Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  list->SetFocus();
  auto editor = reinterpret_cast<HWND>(SendMessageW(list->Handle(), LVM_EDITLABELW, 0, 0));
  ASSERT_NE(editor, nullptr);
  SendMessageW(editor, EM_SETSEL, 0, -1);
  PostTyping(editor, AnyNameWide);
  PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_TRUE(zortest::PumpUntil([&] { return !IsWindow(editor); }, 2000)) << "Enter did not end the edit";
  EXPECT_EQ(list->EditedText, AnyNameWide);
  wchar_t shown[64] = {};
  item.iSubItem = 0;
  item.pszText = shown;
  item.cchTextMax = 64;
  SendMessageW(list->Handle(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(shown), AnyNameWide);

  form->SetCaption(AnyName);
  GetWindowTextW(form->Handle(), shown, 64);
  EXPECT_EQ(std::wstring(shown), AnyNameWide);
}

TEST_F(MessagePaths, AHeadersNotificationsReachItsListViewInUnicodeAndStillWork) {
  form->Show();
  auto *list = new RecordingListView(form.get());
  list->SetParent(panel);
  auto header = reinterpret_cast<HWND>(SendMessageW(list->Handle(), LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);

  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
  std::pair<HWND, UINT> click(header, HDN_ITEMCLICKW);
  EXPECT_NE(std::find(list->Foreign.begin(), list->Foreign.end(), click), list->Foreign.end())
      << "the header's click did not reach ChildNotify as HDN_ITEMCLICKW";
  // Passed on to the list view's own handling, which turns it into its column click.
  EXPECT_NE(std::find(list->Codes.begin(), list->Codes.end(), static_cast<UINT>(LVN_COLUMNCLICK)), list->Codes.end());
}

// A form that, like a dialog with a default button, takes Enter when the focused control does not want it.
class DialogForm : public TForm {
public:
  using TForm::TForm;
  int Enters = 0;

protected:
  bool DialogKey(WORD key, TShiftState shift) override {
    if (key == VK_RETURN) {
      ++Enters;
      return true;
    }
    return TForm::DialogKey(key, shift);
  }
};

class ClaimingEdit : public TEdit {
public:
  using TEdit::TEdit;

protected:
  bool WantSpecialKey(WORD key, TShiftState) override { return key == VK_TAB || key == VK_RETURN; }
};

TEST(SpecialKeys, TabAndEnterGoToTheFormUnlessTheFocusedControlWantsThem) {
  DialogForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto *first = new TEdit(&form);
  first->SetParent(&form);
  auto *panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetTop(40);
  auto *second = new TEdit(&form);
  second->SetParent(panel);
  auto *claiming = new ClaimingEdit(&form);
  claiming->SetParent(&form);
  claiming->SetTop(120);
  std::vector<WORD> keys;
  for (TEdit *edit : {first, second, static_cast<TEdit *>(claiming)})
    edit->OnKeyDown = [&keys](TObject *, WORD &key, TShiftState) { keys.push_back(key); };
  form.Show();
  auto press = [](TWinControl *control, WORD key) {
    PostMessageW(control->Handle(), WM_KEYDOWN, key, 1);
    zortest::PumpFor(50);
  };

  first->SetFocus();
  press(first, VK_TAB);
  EXPECT_EQ(GetFocus(), second->Handle()) << "Tab moves into the panel, to the next control";
  press(second, VK_RETURN);
  EXPECT_EQ(form.Enters, 1);
  EXPECT_TRUE(keys.empty()) << "a key the form took reached the control";

  claiming->SetFocus();
  press(claiming, VK_TAB);
  press(claiming, VK_RETURN);
  EXPECT_EQ(GetFocus(), claiming->Handle());
  EXPECT_EQ(form.Enters, 1);
  EXPECT_EQ(keys, (std::vector<WORD>{VK_TAB, VK_RETURN}));
}

// A panel counting the colour messages it gets.
class ColourProbe : public TPanel {
public:
  using TPanel::TPanel;
  int SystemChanges = 0;
  int ColourChanges = 0;

protected:
  void WndProc(TMessage &message) override {
    if (message.Msg == CM_SYSCOLORCHANGE)
      ++SystemChanges;
    if (message.Msg == CM_COLORCHANGED)
      ++ColourChanges;
    TPanel::WndProc(message);
  }
};

TEST_F(MessagePaths, ColourChangesReachEveryControlConcerned) {
  auto *outer = new ColourProbe(form.get());
  outer->SetParent(panel);
  auto *inner = new ColourProbe(form.get());
  inner->SetParent(outer);
  inner->SetParentColor(true);
  form->HandleNeeded();

  SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(outer->SystemChanges, 1);
  EXPECT_EQ(inner->SystemChanges, 1);

  outer->SetColor(clWindow);
  EXPECT_EQ(outer->ColourChanges, 1);
  EXPECT_EQ(inner->ColourChanges, 1) << "a control following its parent's colour";
  EXPECT_EQ(inner->Color(), clWindow);
}

// A panel that shows an owner-drawn menu: measures its items and answers typed characters.
class MenuOwner : public TPanel {
public:
  using TPanel::TPanel;
  using TWinControl::TrackPopup;
  std::vector<UINT> Seen;

protected:
  void MenuMessage(TMessage &message) override {
    Seen.push_back(message.Msg);
    if (message.Msg == WM_MEASUREITEM) {
      auto *item = reinterpret_cast<MEASUREITEMSTRUCT *>(message.LParam);
      item->itemWidth = 80;
      item->itemHeight = 20;
      message.Result = TRUE;
      return;
    }
    if (message.Msg == WM_MENUCHAR && LOWORD(message.WParam) == 'b') {
      message.Result = MAKELRESULT(1, MNC_EXECUTE);
      return;
    }
    TPanel::MenuMessage(message);
  }
};

TEST_F(MessagePaths, APopupMenuTrackedForAControlSendsItsMessagesThereAndReturnsTheChoice) {
  auto *owner = new MenuOwner(form.get());
  owner->SetParent(panel);
  form->Show();
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_OWNERDRAW, 7, nullptr);
  AppendMenuW(menu, MF_OWNERDRAW, 8, nullptr);
  // Typed while the menu is open: no item has an access key, so the owner is asked.
  PostMessageW(owner->Handle(), WM_CHAR, 'b', 1);
  // Should the menu never see the key, it must not stay open.
  UINT_PTR watchdog = SetTimer(nullptr, 0, 3000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
  UINT chosen = owner->TrackPopup(menu, owner->ClientToScreen(POINT{10, 10}));
  KillTimer(nullptr, watchdog);
  DestroyMenu(menu);
  EXPECT_EQ(chosen, 8u);
  for (UINT msg : {WM_INITMENUPOPUP, WM_MEASUREITEM, WM_MENUCHAR, WM_MENUSELECT})
    EXPECT_NE(std::find(owner->Seen.begin(), owner->Seen.end(), msg), owner->Seen.end()) << "message " << msg;
}

} // namespace

namespace {

// A plain list box of the system's.
class ScrollingList : public TWinControl {
public:
  explicit ScrollingList(TComponent *owner) : TWinControl(owner) { SetBounds(0, 0, 100, 100); }

protected:
  void CreateParams(TCreateParams &params) override {
    TWinControl::CreateParams(params);
    params.WinClassName = "TestScrollingList";
    params.BaseClassName = "LISTBOX";
    params.Style |= WS_VSCROLL;
  }
};

TEST_F(MessagePaths, TheWheelArrivesNotchByNotchAndOnlyAnUnhandledNotchScrollsTheControl) {
  auto *list = new ScrollingList(form.get());
  list->SetParent(panel);
  for (int i = 0; i < 100; ++i)
    SendMessageW(list->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"row"));
  std::string notches;
  bool handle = true;
  list->OnMouseWheelDown = [&](TObject *, TShiftState, POINT, bool &handled) {
    notches += 'd';
    handled = handle;
  };
  list->OnMouseWheelUp = [&](TObject *, TShiftState, POINT, bool &handled) {
    notches += 'u';
    handled = handle;
  };
  auto turn = [&](int delta) { SendMessageW(list->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); };

  // A high-resolution wheel sends parts of a notch: a notch is counted once they add up to one, and the
  // parts do not scroll a control that takes the notches.
  turn(-WHEEL_DELTA);
  turn(-60);
  EXPECT_EQ("d", notches);
  turn(-60);
  turn(2 * WHEEL_DELTA);
  EXPECT_EQ("dduu", notches);
  EXPECT_EQ(0, SendMessageW(list->Handle(), LB_GETTOPINDEX, 0, 0)) << "a handled notch scrolled the list";
  handle = false;
  turn(-WHEEL_DELTA);
  EXPECT_GT(SendMessageW(list->Handle(), LB_GETTOPINDEX, 0, 0), 0);
}

} // namespace
