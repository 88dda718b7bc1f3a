#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/Layout.h"
#include "toolkit/Panel.h"

namespace {

std::string Rect(const RECT &r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

std::string Bounds(TControl *control) { return Rect(control->BoundsRect()); }

// Where the window really is, relative to its parent's client area.
std::string WindowBounds(TWinControl *control) {
  RECT r;
  GetWindowRect(control->Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, control->Parent()->Handle(), reinterpret_cast<POINT *>(&r), 2);
  return Rect(r);
}

class Layout : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 600, 500);
    host = new TPanel(form.get());
    host->SetParent(form.get());
    host->SetBevelOuter(bvNone);
    host->SetBounds(0, 0, 400, 300);
  }

  TPanel *Child(TAlign align, int size) {
    auto *panel = new TPanel(form.get());
    panel->SetParent(host);
    if (align == alTop || align == alBottom)
      panel->SetHeight(size);
    else
      panel->SetWidth(size);
    panel->SetAlign(align);
    return panel;
  }

  std::unique_ptr<TForm> form;
  TPanel *host = nullptr;
};

TEST_F(Layout, EdgesStackAndClientFillsTheRestBeforeAndAfterTheWindowsExist) {
  TPanel *top1 = Child(alTop, 20);
  TPanel *top2 = Child(alTop, 30);
  TPanel *bottom = Child(alBottom, 10);
  TPanel *left = Child(alLeft, 50);
  TPanel *right = Child(alRight, 40);
  TPanel *client = Child(alClient, 0);
  // The later of two top-aligned children sits at the top.
  EXPECT_EQ(Bounds(top2), "0,0,400,30");
  EXPECT_EQ(Bounds(top1), "0,30,400,50");
  EXPECT_EQ(Bounds(bottom), "0,290,400,300");
  EXPECT_EQ(Bounds(left), "0,50,50,290");
  EXPECT_EQ(Bounds(right), "360,50,400,290");
  EXPECT_EQ(Bounds(client), "50,50,360,290");
  EXPECT_FALSE(form->HandleAllocated()) << "laid out without any window";

  ASSERT_NE(form->Handle(), nullptr);
  EXPECT_EQ(WindowBounds(top2), "0,0,400,30");
  EXPECT_EQ(WindowBounds(client), "50,50,360,290");

  // Resizing the parent's window lays the children out again.
  host->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(WindowBounds(bottom), "0,390,500,400");
  EXPECT_EQ(WindowBounds(right), "460,50,500,390");
  EXPECT_EQ(WindowBounds(client), "50,50,460,390");
}

TEST_F(Layout, BringToFrontPutsAControlNearestItsEdgeAndHiddenControlsTakeNoRoom) {
  TPanel *top1 = Child(alTop, 20);
  TPanel *top2 = Child(alTop, 30);
  TPanel *client = Child(alClient, 0);
  top1->BringToFront();
  EXPECT_EQ(Bounds(top1), "0,0,400,20");
  EXPECT_EQ(Bounds(top2), "0,20,400,50");
  // In front of its siblings on screen as well: first in the windows' z-order.
  form->HandleNeeded();
  EXPECT_EQ(GetWindow(host->Handle(), GW_CHILD), top1->Handle());

  top2->Hide();
  EXPECT_EQ(Bounds(client), "0,20,400,300");
  EXPECT_FALSE(IsWindowVisible(top2->Handle()));
  top2->Show();
  EXPECT_EQ(Bounds(client), "0,50,400,300");

  // Taking the alignment again also makes a control the nearest to its edge (how a splitter is put to the
  // right of a pane: pane to none, splitter left, pane left again).
  TPanel *pane = Child(alLeft, 100);
  TPanel *splitter = Child(alLeft, 3);
  pane->SetAlign(alNone);
  pane->SetAlign(alLeft);
  EXPECT_EQ(Bounds(pane), "0,50,100,300");
  EXPECT_EQ(Bounds(splitter), "100,50,103,300");
  EXPECT_EQ(Bounds(client), "103,50,400,300");
}

TEST_F(Layout, WindowsStackInTheOrderOfTheirControlsWhenMadeTogetherAddedLaterOrSentBack) {
  // The windows of the host's children, the front one first.
  auto stack = [this] {
    std::vector<HWND> windows;
    for (HWND wnd = GetWindow(host->Handle(), GW_CHILD); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT))
      windows.push_back(wnd);
    return windows;
  };
  TPanel *c1 = Child(alNone, 10);
  TPanel *c2 = Child(alNone, 10);
  TPanel *c3 = Child(alNone, 10);
  form->HandleNeeded();
  EXPECT_EQ(stack(), (std::vector<HWND>{c3->Handle(), c2->Handle(), c1->Handle()}));
  TPanel *c4 = Child(alNone, 10);
  EXPECT_EQ(stack(), (std::vector<HWND>{c4->Handle(), c3->Handle(), c2->Handle(), c1->Handle()}));
  TPanel *c5 = Child(alNone, 10);
  c5->SendToBack();
  c2->BringToFront();
  EXPECT_EQ(stack(), (std::vector<HWND>{c2->Handle(), c4->Handle(), c3->Handle(), c1->Handle(), c5->Handle()}));
}

TEST_F(Layout, AnchoredControlsFollowTheParentsRightEdge) {
  auto *stretched = new TPanel(form.get());
  stretched->SetParent(host);
  stretched->SetBounds(10, 10, 100, 20);
  stretched->SetAnchors(akLeft | akTop | akRight);
  auto *moved = new TPanel(form.get());
  moved->SetParent(host);
  moved->SetBounds(350, 40, 30, 20);
  moved->SetAnchors(akTop | akRight);
  auto *fixed = new TPanel(form.get());
  fixed->SetParent(host);
  fixed->SetBounds(10, 70, 30, 20);

  host->SetWidth(500);
  EXPECT_EQ(Bounds(stretched), "10,10,210,30");
  EXPECT_EQ(Bounds(moved), "450,40,480,60");
  EXPECT_EQ(Bounds(fixed), "10,70,40,90");
  form->HandleNeeded();
  host->SetWidth(300);
  EXPECT_EQ(WindowBounds(stretched), "10,10,10,30") << "no room left: width 0, never negative";
  EXPECT_EQ(WindowBounds(moved), "250,40,280,60");
}

TEST_F(Layout, PanelBevelsInsetTheChildrenAndAutoSizeFitsThem) {
  host->SetBevelOuter(bvLowered);
  TPanel *client = Child(alClient, 0);
  EXPECT_EQ(Bounds(client), "1,1,399,299");
  host->SetBevelInner(bvRaised);
  host->SetBorderWidth(2);
  EXPECT_EQ(Bounds(client), "4,4,396,296");

  // The path box's panel: top-aligned, sized to an edit at 1,1 that is 22 high inside a 1-pixel bevel.
  host->SetBevelInner(bvNone);
  host->SetBorderWidth(0);
  auto *strip = new TPanel(form.get());
  strip->SetParent(client);
  strip->SetHeight(40);
  strip->SetAlign(alTop);
  strip->SetBevelOuter(bvLowered);
  strip->SetAutoSize(true);
  auto *edit = new TEdit(form.get());
  edit->SetParent(strip);
  edit->SetBounds(1, 1, 100, 22);
  EXPECT_EQ(strip->Height(), 24);
  // Full width inside the raised bevel a new panel has.
  EXPECT_EQ(Bounds(strip), "1,1," + std::to_string(client->Width() - 1) + ",25");
  form->HandleNeeded();
  edit->SetHeight(30);
  EXPECT_EQ(strip->Height(), 32);
  RECT r;
  GetWindowRect(strip->Handle(), &r);
  EXPECT_EQ(r.bottom - r.top, 32);
}

TEST_F(Layout, ChildrenFollowTheParentsFontUntilTheyGetTheirOwn) {
  TPanel *follower = Child(alTop, 20);
  auto *edit = new TEdit(form.get());
  edit->SetParent(host);
  edit->Font().SetHeight(-20);
  EXPECT_FALSE(edit->ParentFont());
  form->Font().SetName("Arial");
  form->Font().SetHeight(-15);
  EXPECT_EQ(follower->Font().Name(), "Arial");
  EXPECT_EQ(follower->Font().Height(), -15);
  EXPECT_EQ(edit->Font().Height(), -20);

  // The edit window draws with the font it was given.
  LOGFONTA lf = {};
  auto font = reinterpret_cast<HFONT>(SendMessageA(edit->Handle(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  GetObjectA(font, sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -20);
}

TEST_F(Layout, DestroyingAPanelDestroysTheControlsInIt) {
  TPanel *outer = Child(alClient, 0);
  auto *inner = new TPanel(form.get());
  inner->SetParent(outer);
  auto *edit = new TEdit(form.get());
  edit->SetParent(inner);
  form->HandleNeeded();
  HWND editWindow = edit->Handle();
  int before = form->ComponentCount();
  delete outer;
  EXPECT_EQ(form->ComponentCount(), before - 3);
  EXPECT_FALSE(IsWindow(editWindow));
  EXPECT_EQ(host->ControlCount(), 0);
}

// Where the windows of the calling thread were made: "x,y,right,bottom" of each, in the order they were made.
class TMadeWindows {
public:
  TMadeWindows() : FHook(SetWindowsHookExW(WH_CBT, Record, nullptr, GetCurrentThreadId())) { Current = this; }
  ~TMadeWindows() {
    UnhookWindowsHookEx(FHook);
    Current = nullptr;
  }
  std::map<HWND, std::string> Made;

private:
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && Current) {
      const CREATESTRUCTW &made = *reinterpret_cast<CBT_CREATEWNDW *>(lParam)->lpcs;
      Current->Made[reinterpret_cast<HWND>(wParam)] = Rect({made.x, made.y, made.x + made.cx, made.y + made.cy});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline TMadeWindows *Current = nullptr;
  HHOOK FHook;
};

TEST_F(Layout, WindowsAreMadeWhereTheLayoutPutsThem) {
  // A control added while its parent's layout is held gets its window when the hold ends, in its place: a
  // window made first and moved then would be seen (and paid for) twice.
  form->HandleNeeded();
  TMadeWindows made;
  host->DisableAlign();
  TPanel *top = Child(alTop, 20);
  TPanel *client = Child(alClient, 0);
  auto *inner = new TPanel(form.get());
  inner->SetParent(client);
  inner->SetAlign(alClient);
  EXPECT_FALSE(client->HandleAllocated());
  host->EnableAlign();
  ASSERT_TRUE(client->HandleAllocated());
  EXPECT_EQ(made.Made[top->WindowHandle()], "0,0,400,20");
  EXPECT_EQ(made.Made[client->WindowHandle()], "0,20,400,300");
  EXPECT_EQ(made.Made[inner->WindowHandle()], "1,1,399,279"); // inside the panel's bevel

  // A form to be shown maximized is made at that size, hidden still: its controls are made for it.
  TForm maximized(nullptr);
  maximized.SetBounds(10, 10, 300, 200);
  maximized.SetWindowState(wsMaximized);
  auto *fill = new TPanel(&maximized);
  fill->SetParent(&maximized);
  fill->SetAlign(alClient);
  maximized.HandleNeeded();
  RECT area;
  GetClientRect(maximized.Handle(), &area);
  EXPECT_TRUE(IsZoomed(maximized.Handle()));
  EXPECT_FALSE(IsWindowVisible(maximized.Handle()));
  EXPECT_GT(area.right, 300);
  EXPECT_EQ(made.Made[fill->WindowHandle()], Rect(area));
  // Restored, it goes back to the place it was given.
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(maximized.Handle(), &placement);
  EXPECT_EQ(Rect(placement.rcNormalPosition), "10,10,310,210");
}

// The rules alone, over rectangles: the bounds each item gets ("-" for one left where it was), by item.
std::vector<std::string> Laid(const RECT &area, const RECT &client, const std::vector<TLayoutItem> &items) {
  std::vector<std::string> bounds(items.size(), "-");
  for (const TLayoutPlacement &placement : AlignControls(area, client, items)) {
    EXPECT_EQ(bounds.at(placement.Index), "-") << "item " << placement.Index << " placed twice";
    bounds.at(placement.Index) = Rect(placement.Bounds);
  }
  return bounds;
}

TLayoutItem Aligned(TAlign align, int width, int height, uint64_t order = 0) {
  TLayoutItem item;
  item.Align = align;
  item.AlignOrder = order;
  item.Bounds = {0, 0, width, height};
  return item;
}

TEST(LayoutRules, EdgesComeBeforeSidesAndSidesBeforeTheClientWhateverTheChildrensOrder) {
  // Listed the other way round from how they are laid out.
  std::vector<TLayoutItem> items = {Aligned(alClient, 5, 5),  Aligned(alRight, 40, 5), Aligned(alLeft, 50, 5),
                                    Aligned(alBottom, 5, 10), Aligned(alTop, 5, 20),   Aligned(alTop, 5, 30, 1)};
  EXPECT_EQ(Laid({0, 0, 400, 300}, {0, 0, 400, 300}, items),
            (std::vector<std::string>{"50,50,360,290", "360,50,400,290", "0,50,50,290", "0,290,400,300", "0,30,400,50",
                                      "0,0,400,30"}));
  // Of equal orders, the one listed first is nearest the edge.
  items = {Aligned(alLeft, 10, 5), Aligned(alLeft, 20, 5)};
  EXPECT_EQ(Laid({0, 0, 100, 50}, {0, 0, 100, 50}, items), (std::vector<std::string>{"0,0,10,50", "10,0,30,50"}));
}

TEST(LayoutRules, ChildrenThatDoNotFitKeepTheirOwnSizeAndLeaveNoNegativeRoom) {
  std::vector<TLayoutItem> items = {Aligned(alTop, 5, 30), Aligned(alBottom, 5, 40), Aligned(alLeft, 60, 5),
                                    Aligned(alRight, 60, 5), Aligned(alClient, 5, 5)};
  items.push_back(Aligned(alTop, 5, 99));
  items.back().Visible = false;
  // Top and bottom overlap by 20: the sides and the client get no height, the client no width either.
  EXPECT_EQ(Laid({0, 0, 100, 50}, {0, 0, 100, 50}, items),
            (std::vector<std::string>{"0,0,100,30", "0,10,100,50", "0,30,60,30", "40,30,100,30", "60,30,60,30", "-"}));
}

TEST(LayoutRules, UnalignedChildrenFollowTheClientAreaNotTheAlignedArea) {
  // A panel's bevels inset the aligned area; anchors measure from the client area's edges.
  TLayoutItem stretched;
  stretched.Bounds = {10, 10, 50, 90};
  stretched.Anchors = akLeft | akTop | akBottom;
  stretched.AnchorBottom = 10;
  TLayoutItem moved;
  moved.Bounds = {60, 70, 90, 90};
  moved.Anchors = akLeft | akBottom;
  moved.AnchorBottom = 10;
  TLayoutItem squeezed = stretched;
  squeezed.AnchorBottom = 300;
  std::vector<TLayoutItem> items = {stretched, moved, squeezed, Aligned(alClient, 0, 0)};
  EXPECT_EQ(Laid({4, 4, 196, 196}, {0, 0, 200, 200}, items),
            (std::vector<std::string>{"10,10,50,190", "60,170,90,190", "10,10,50,10", "4,4,196,196"}));
}

} // namespace
