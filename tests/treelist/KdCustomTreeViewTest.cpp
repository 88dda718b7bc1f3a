#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "shellns/ShellVersion.h"
#include "toolkit/Form.h"
#include "toolkit/Handles.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/SysUtils.h"
#include "treelist/UKdTreeList.h"

// Points compare by their coordinates (for the expectations below).
static bool operator==(const POINT &a, const POINT &b) { return a.x == b.x && a.y == b.y; }

namespace {

// Each time the menu shows, notes where its window appeared on the screen and closes it again.
class PopupRecorder {
public:
  explicit PopupRecorder(TPopupMenu *menu) {
    Current = this;
    menu->OnPopup = [](TObject *) {
      SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND menuWindow = FindWindowA("#32768", nullptr);
        if ((!menuWindow || !IsWindowVisible(menuWindow)) && ++Current->Waits < 60)
          return;
        KillTimer(nullptr, id);
        Current->Waits = 0;
        RECT rect = {-1, -1, -1, -1};
        if (menuWindow)
          GetWindowRect(menuWindow, &rect);
        Current->Shown.push_back({rect.left, rect.top});
        EndMenu();
      });
    };
  }
  ~PopupRecorder() { Current = nullptr; }

  std::vector<POINT> Shown;
  int Waits = 0;
  static inline PopupRecorder *Current = nullptr;
};

// A tree whose image hook computes the index itself, as the shell tree does.
class ImageHookTree : public TKdCustomTreeView {
public:
  using TKdCustomTreeView::TKdCustomTreeView;
  int HookCalls = 0;
  bool Fail = false;

protected:
  void GetImageIndex(TTreeNode *node) override {
    ++HookCalls;
    if (Fail)
      throw Exception("no icon");
    node->SetImageIndex(11);
    TKdCustomTreeView::GetImageIndex(node);
  }
};

class KdTreeView : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 300, 300);
    tree = new ImageHookTree(form.get());
    tree->SetParent(form.get());
    tree->SetAlign(alClient);
    menu = new TPopupMenu(form.get());
    auto *item = new TMenuItem(form.get());
    item->SetCaption("Item");
    menu->Items()->Add(item);
    tree->SetPopupMenu(menu);
    form->Show();
    first = tree->Items().Add(nullptr, "first");
    second = tree->Items().Add(nullptr, "second");
    dc = CreateCompatibleDC(nullptr);
    oldFont = SelectObject(dc, tree->Font().Handle());
  }
  void TearDown() override {
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    SetKeyboardState(savedKeys);
  }

  // A custom-draw notification as the control sends it to its parent.
  LRESULT SendDraw(NMTVCUSTOMDRAW &record, DWORD stage, TTreeNode *node) {
    record = {};
    record.nmcd.hdr = {tree->Handle(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(node ? node->ItemId() : nullptr);
    record.clrText = RGB(1, 1, 1);
    record.clrTextBk = RGB(2, 2, 2);
    return SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
  }

  POINT Centre(TTreeNode *node) {
    RECT text = node->DisplayRect(true);
    return {(text.left + text.right) / 2, (text.top + text.bottom) / 2};
  }

  // A right click as the user makes it: the pointer there, the button pressed and released. The control
  // follows a click nobody took with WM_CONTEXTMENU on Windows; Wine's does not, so the test sends it then.
  void RightClick(POINT client) {
    POINT screen = tree->ClientToScreen(client);
    SetCursorPos(screen.x, screen.y);
    LPARAM at = MAKELPARAM(client.x, client.y);
    static HWND watched;
    static bool contextMenuSent;
    watched = tree->Handle();
    contextMenuSent = false;
    HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
          auto *sent = reinterpret_cast<CWPSTRUCT *>(lParam);
          if (code == HC_ACTION && sent->hwnd == watched && sent->message == WM_CONTEXTMENU)
            contextMenuSent = true;
          return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    PostMessageW(tree->Handle(), WM_RBUTTONUP, 0, at);
    SendMessageW(tree->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    UnhookWindowsHookEx(hook);
    if (!contextMenuSent)
      SendMessageW(tree->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->Handle()),
                   MAKELPARAM(screen.x, screen.y));
    zortest::PumpFor(50);
  }

  void PressKey(WORD key, bool shift) {
    BYTE keys[256];
    GetKeyboardState(savedKeys);
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    UINT down = key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    SendMessageW(tree->Handle(), down, key, 1);
    SendMessageW(tree->Handle(), down + 1, key, 0xC0000001);
    SetKeyboardState(savedKeys);
    zortest::PumpFor(50);
  }

  std::unique_ptr<TForm> form;
  ImageHookTree *tree = nullptr;
  TPopupMenu *menu = nullptr;
  TTreeNode *first = nullptr;
  TTreeNode *second = nullptr;
  HDC dc = nullptr;
  HGDIOBJ oldFont = nullptr;
  BYTE savedKeys[256] = {};
};

TEST_F(KdTreeView, DrawEventsSeeTheNodeAndTheirChangesBecomeTheResult) {
  NMTVCUSTOMDRAW record;
  EXPECT_EQ(SendDraw(record, CDDS_PREPAINT, nullptr), 0) << "no draw event: the control draws alone";
  EXPECT_EQ(tree->CurrentCustomDraw(), nullptr);

  std::vector<std::string> itemStage;
  tree->OnDrawItemStage = [&](TObject *, TKdTvCustomDraw *draw, TTreeNode *node) {
    itemStage.push_back(node ? node->Text() : "none");
    if (node == first)
      draw->Font()->SetColor(clRed);
    else
      draw->SkipDefault = true;
  };
  EXPECT_EQ(SendDraw(record, CDDS_PREPAINT, nullptr), CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(SendDraw(record, CDDS_ITEMPREPAINT, first), CDRF_NOTIFYITEMDRAW) << "a new colour needs no new font";
  EXPECT_EQ(record.clrText, RGB(255, 0, 0));
  EXPECT_EQ(SendDraw(record, CDDS_ITEMPREPAINT, second), CDRF_SKIPDEFAULT | CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(SendDraw(record, CDDS_ITEMPOSTPAINT, first), 0);
  EXPECT_EQ(itemStage, (std::vector<std::string>{"first", "second"}));

  std::vector<std::string> anyStage;
  tree->OnDrawAnyStage = [&](TObject *, TKdTvCustomDraw *draw, TTreeNode *node) {
    anyStage.push_back((node ? node->Text() : "none") + ":" + std::to_string(draw->Stage()));
  };
  SendDraw(record, CDDS_PREPAINT, nullptr);
  ASSERT_NE(tree->CurrentCustomDraw(), nullptr);
  EXPECT_EQ(tree->CurrentCustomDraw()->Stage(), kdcdsPrePaint) << "the object lives on for its paint stage";
  SendDraw(record, CDDS_ITEMPOSTPAINT, second);
  EXPECT_EQ(anyStage, (std::vector<std::string>{"none:1", "second:5"}));

  // With the toolkit's own item event set, the toolkit draws and these events stay quiet.
  itemStage.clear();
  anyStage.clear();
  std::vector<TTreeNode *> toolkitItems;
  tree->OnCustomDrawItem = [&](TObject *, TTreeNode *node, UINT, bool &) {
    toolkitItems.push_back(node);
    tree->Canvas().Font.SetColor(clBlue);
  };
  EXPECT_EQ(SendDraw(record, CDDS_PREPAINT, nullptr), CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(SendDraw(record, CDDS_ITEMPREPAINT, second), 0);
  EXPECT_EQ(record.clrText, RGB(0, 0, 255));
  EXPECT_EQ(toolkitItems, std::vector<TTreeNode *>{second});
  EXPECT_TRUE(itemStage.empty() && anyStage.empty());
}

TEST_F(KdTreeView, ANodeRecolouredByItsHandlerIsPaintedInThatColour) {
  tree->OnDrawItemStage = [&](TObject *, TKdTvCustomDraw *draw, TTreeNode *node) {
    if (node == second)
      draw->Font()->SetColor(clRed);
  };
  RECT client = tree->ClientRect();
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(TWindowDC().DC(), client.right, client.bottom));
  HGDIOBJ old = SelectObject(dc, bitmap.Get());
  SendMessageW(tree->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  auto redPixels = [&](RECT rect) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        if (COLORREF pixel = GetPixel(dc, x, y);
            GetRValue(pixel) > 200 && GetGValue(pixel) < 60 && GetBValue(pixel) < 60)
          ++count;
    return count;
  };
  EXPECT_GT(redPixels(second->DisplayRect(true)), 5);
  EXPECT_EQ(redPixels(first->DisplayRect(true)), 0);
  SelectObject(dc, old);
}

TEST_F(KdTreeView, TooltipsAreLeftOutOnNtWithCommonControlsBelow472) {
  OSVERSIONINFOA savedOs = OSVersionInfo;
  uint64_t savedComCtl = ComCtl32Version;
  auto tooltipsOf = [&](DWORD platform, uint32_t versionHigh) {
    OSVersionInfo.dwPlatformId = platform;
    ComCtl32Version = static_cast<uint64_t>(versionHigh) << 32;
    TKdCustomTreeView probe(form.get());
    probe.SetParent(form.get());
    bool styled = (GetWindowLongPtrW(probe.Handle(), GWL_STYLE) & TVS_NOTOOLTIPS) == 0;
    bool window = SendMessageW(probe.Handle(), TVM_GETTOOLTIPS, 0, 0) != 0;
    EXPECT_EQ(styled, window);
    return window;
  };
  EXPECT_FALSE(tooltipsOf(VER_PLATFORM_WIN32_NT, kdComCtl32v471));
  EXPECT_TRUE(tooltipsOf(VER_PLATFORM_WIN32_NT, kdComCtl32v472));
  EXPECT_TRUE(tooltipsOf(VER_PLATFORM_WIN32_WINDOWS, kdComCtl32v471));
  OSVersionInfo = savedOs;
  ComCtl32Version = savedComCtl;
}

TEST_F(KdTreeView, ASystemColourChangeGivesTheControlTheColoursValuesAgain) {
  auto background = [&] { return static_cast<COLORREF>(SendMessageW(tree->Handle(), TVM_GETBKCOLOR, 0, 0)); };
  // What the control held from before the change.
  SendMessageW(tree->Handle(), TVM_SETBKCOLOR, 0, RGB(1, 2, 3));
  SendMessageW(tree->Handle(), TVM_SETTEXTCOLOR, 0, RGB(4, 5, 6));
  SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(background(), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree->Handle(), TVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));

  tree->SetColor(clRed);
  SendMessageW(tree->Handle(), TVM_SETBKCOLOR, 0, RGB(1, 2, 3));
  SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(background(), RGB(1, 2, 3)) << "a fixed colour is not sent again";
}

TEST_F(KdTreeView, NodeImagesComeFromTheHookAndTheEventsRunOncePerRequest) {
  int events = 0;
  tree->OnGetImageIndex = [&](TObject *, TTreeNode *) { ++events; };
  auto imageOf = [&](TTreeNode *node) {
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_IMAGE;
    query.hItem = node->ItemId();
    SendMessageW(tree->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return query.iImage;
  };
  EXPECT_EQ(imageOf(first), 11);
  EXPECT_EQ(events, 1);

  zortest::MessageBoxCapture boxes;
  tree->Fail = true;
  imageOf(first);
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  tree->Fail = false;
  events = 0;
  imageOf(second);
  EXPECT_EQ(events, 1) << "the event is back after a hook that raised";
}

TEST_F(KdTreeView, ARightClickOnANodeShowsItsMenuOnceAtThePointer) {
  PopupRecorder popups(menu);
  std::vector<TTreeNode *> asked;
  tree->OnNodeContextMenu = [&](TObject *, TTreeNode *node, POINT &, TPopupMenu *&) { asked.push_back(node); };
  POINT at = Centre(second);
  RightClick(at);
  EXPECT_EQ(asked, std::vector<TTreeNode *>{second});
  ASSERT_EQ(popups.Shown.size(), 1u);
  EXPECT_EQ(popups.Shown[0], tree->ClientToScreen(at));
  EXPECT_EQ(menu->PopupComponent, tree);
  EXPECT_TRUE(tree->MenuShown());
}

TEST_F(KdTreeView, AHandlerThatTakesTheMenuAwayShowsNothingNotEvenOnTheRelease) {
  PopupRecorder popups(menu);
  tree->OnNodeContextMenu = [&](TObject *, TTreeNode *, POINT &, TPopupMenu *&shown) { shown = nullptr; };
  POINT at = Centre(first);
  RightClick(at);
  EXPECT_TRUE(popups.Shown.empty());
  EXPECT_TRUE(tree->MenuShown());
  SendMessageW(tree->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  zortest::PumpFor(50);
  EXPECT_TRUE(popups.Shown.empty());
  EXPECT_FALSE(tree->MenuShown());
  EXPECT_TRUE(menu->AutoPopup);
}

TEST_F(KdTreeView, ARightClickAwayFromTheNodesShowsThePopupMenuOnlyWhenNoNodeIsSelected) {
  PopupRecorder popups(menu);
  std::vector<TTreeNode *> asked;
  tree->OnNodeContextMenu = [&](TObject *, TTreeNode *node, POINT &, TPopupMenu *&) { asked.push_back(node); };
  RECT last = second->DisplayRect(false);
  POINT below = {20, last.bottom + 30};
  tree->SetSelected(first);
  RightClick(below);
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(popups.Shown.empty()) << "a selected node's menu comes from the node, not from empty space";

  // Nothing can be selected in an empty tree; the node menu of an earlier click does not keep this one away.
  RightClick(Centre(first));
  ASSERT_EQ(popups.Shown.size(), 1u);
  tree->Items().Clear();
  RightClick(below);
  EXPECT_EQ(asked, (std::vector<TTreeNode *>{first, nullptr}));
  ASSERT_EQ(popups.Shown.size(), 2u);
  EXPECT_EQ(popups.Shown[1], tree->ClientToScreen(below));
}

TEST_F(KdTreeView, TheKeyboardOpensTheSelectedNodesMenuAtItsLabelOrElseThePopupMenuAtTheCorner) {
  PopupRecorder popups(menu);
  std::vector<POINT> asked;
  tree->OnNodeContextMenu = [&](TObject *, TTreeNode *, POINT &pos, TPopupMenu *&) { asked.push_back(pos); };
  PressKey(VK_F10, true);
  ASSERT_EQ(popups.Shown.size(), 1u) << "Shift+F10 with no node selected";
  EXPECT_EQ(popups.Shown[0], tree->ClientToScreen(POINT{0, 0}));
  EXPECT_TRUE(asked.empty());

  PressKey(VK_F10, false);
  EXPECT_EQ(popups.Shown.size(), 1u) << "F10 alone is no menu key";

  tree->SetSelected(second);
  PressKey(VK_APPS, false);
  ASSERT_EQ(popups.Shown.size(), 2u);
  EXPECT_EQ(popups.Shown[1], tree->ClientToScreen(Centre(second)));
  EXPECT_EQ(asked, std::vector<POINT>{Centre(second)});

  tree->SetSelected(nullptr);
  PressKey(VK_APPS, false);
  EXPECT_EQ(popups.Shown.size(), 3u) << "the key's release brings no second menu";
}

} // namespace
