#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Screen.h"

namespace {

constexpr UINT WM_PROBE_THROW = WM_USER + 1;
constexpr UINT WM_PROBE_COUNT = WM_USER + 2;

// A panel whose window procedure throws on one message and counts another.
class ProbePanel : public TPanel {
public:
  using TPanel::TPanel;
  int Counted = 0;
  int Notified = 0;

protected:
  void WndProc(TMessage &message) override {
    if (message.Msg == WM_PROBE_THROW)
      throw Exception("Probe failed");
    if (message.Msg == WM_PROBE_COUNT) {
      ++Counted;
      return;
    }
    if (message.Msg == CN_NOTIFY) {
      ++Notified;
      message.Result = 42;
      return;
    }
    TPanel::WndProc(message);
  }
};

class WindowProc : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    probe = new ProbePanel(form.get());
    probe->SetParent(form.get());
    probe->SetAlign(alClient);
    form->HandleNeeded();
  }

  std::unique_ptr<TForm> form;
  ProbePanel *probe = nullptr;
};

TEST(ExceptionHandler, ShowsTheMessageInAnErrorBoxAndStaysSilentForAbort) {
  zortest::MessageBoxCapture boxes;
  try {
    throw Exception("Disk not ready");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    Abort();
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw std::runtime_error("bad state");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Disk not ready.");
  EXPECT_EQ(boxes.Boxes[0].Caption, Application->Title());
  EXPECT_TRUE(boxes.Boxes[0].Flags & MB_ICONSTOP);
  EXPECT_EQ(boxes.Boxes[1].Text, "bad state.");
}

TEST(ExceptionHandler, OnExceptionHearsOfEveryKindOfException) {
  std::vector<std::string> heard;
  Application->OnException = [&](TObject *, const Exception &e) { heard.push_back(e.Message()); };
  for (int kind = 0; kind < 3; ++kind) {
    try {
      if (kind == 0)
        throw EOleError("OLE error 80004005", E_FAIL);
      if (kind == 1)
        throw std::length_error("name too long");
      throw 7;
    } catch (...) {
      Application->HandleException(nullptr);
    }
  }
  Application->OnException = nullptr;
  EXPECT_EQ(heard, (std::vector<std::string>{"OLE error 80004005", "name too long", "Unknown exception"}));
}

TEST_F(WindowProc, AnExceptionInAWindowProcedureReachesTheHandlerAndTheLoopGoesOn) {
  zortest::MessageBoxCapture boxes;
  PostMessageA(probe->Handle(), WM_PROBE_THROW, 0, 0);
  PostMessageA(probe->Handle(), WM_PROBE_COUNT, 0, 0);
  EXPECT_TRUE(zortest::PumpUntil([&] { return probe->Counted == 1; }, 2000));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Probe failed.");
  // A sent message that throws returns to the sender too.
  EXPECT_EQ(SendMessageA(probe->Handle(), WM_PROBE_THROW, 0, 0), 0);
  EXPECT_EQ(boxes.Boxes.size(), 2u);
}

TEST_F(WindowProc, NotificationsSentToTheParentReachTheChildThatSentThem) {
  NMHDR header = {probe->Handle(), 7, NM_CLICK};
  EXPECT_EQ(SendMessageA(form->Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header)), 42);
  EXPECT_EQ(probe->Notified, 1);

  // An edit box's change notification goes to its parent and comes back to the edit's OnChange.
  auto *edit = new TEdit(form.get());
  edit->SetParent(probe);
  int changes = 0;
  edit->OnChange = [&](TObject *) { ++changes; };
  edit->SetText("typed");
  EXPECT_EQ(changes, 1);
}

TEST_F(WindowProc, EditAndLabelCarryAnyText) {
  const std::string text = "\xC3\xA9t\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC"; // "été-日本"
  auto *edit = new TEdit(form.get());
  edit->SetParent(probe);
  edit->SetText(text);
  wchar_t wide[32] = {};
  GetWindowTextW(edit->Handle(), wide, 32);
  EXPECT_EQ(std::wstring(wide), L"\u00E9t\u00E9-\u65E5\u672C");
  EXPECT_EQ(edit->Text(), text);
  SetWindowTextW(edit->Handle(), L"\u65E5\u672C\u00E9");
  EXPECT_EQ(edit->Text(), "\xE6\x97\xA5\xE6\x9C\xAC\xC3\xA9");

  auto *label = new TLabel(form.get());
  label->SetParent(probe);
  label->SetCaption(text);
  GetWindowTextW(label->Handle(), wide, 32);
  EXPECT_EQ(std::wstring(wide), L"\u00E9t\u00E9-\u65E5\u672C");
  EXPECT_GT(label->Width(), 0) << "sized to its text";
  int oneLine = label->Width();
  label->SetCaption(text + text);
  EXPECT_GT(label->Width(), oneLine);
}

TEST_F(WindowProc, AKeyConsumedByOnKeyDownNeverReachesTheControl) {
  auto *edit = new TEdit(form.get());
  edit->SetParent(probe);
  edit->SetText("abc");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  edit->OnKeyDown = [](TObject *, WORD &key, TShiftState) {
    if (key == VK_DELETE)
      key = 0;
  };
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(edit->Text(), "abc");
  edit->OnKeyDown = nullptr;
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(edit->Text(), "bc");
}

TEST_F(WindowProc, ClickingAPanelRaisesOnClickOnlyWhenReleasedInside) {
  int clicks = 0;
  probe->OnClick = [&](TObject *) { ++clicks; };
  SendMessageA(probe->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(probe->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(12, 10));
  EXPECT_EQ(clicks, 1);
  SendMessageA(probe->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(probe->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-5, 10));
  EXPECT_EQ(clicks, 1);
}

TEST_F(WindowProc, TheScreenCursorOverridesEveryToolkitWindowsOwn) {
  LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  {
    TCursorSaver hourglass;
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    EXPECT_TRUE(SendMessageA(probe->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(probe->Handle()), overClient));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
  probe->SetCursor(crSizeWE);
  EXPECT_TRUE(SendMessageA(probe->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(probe->Handle()), overClient));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));
}

TEST(CodePage, TheManifestMakesTheAnsiCodePageUtf8) { EXPECT_EQ(GetACP(), 65001u); }

} // namespace
