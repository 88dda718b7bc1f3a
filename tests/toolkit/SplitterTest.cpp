#include <gtest/gtest.h>

#include <memory>

#include "toolkit/Form.h"
#include "toolkit/Panel.h"
#include "toolkit/Splitter.h"

namespace {

class Splitter : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 600, 400);
    host = new TPanel(form.get());
    host->SetParent(form.get());
    host->SetBevelOuter(bvNone);
    host->SetBounds(0, 0, 400, 300);
    pane = new TPanel(form.get());
    pane->SetParent(host);
    pane->SetWidth(100);
    pane->SetAlign(alLeft);
    rest = new TPanel(form.get());
    rest->SetParent(host);
    rest->SetAlign(alClient);
    // The way a pane gets a splitter on its right.
    pane->SetAlign(alNone);
    splitter = new TSplitter(form.get());
    splitter->SetParent(host);
    splitter->SetAlign(alLeft);
    pane->SetAlign(alLeft);
    form->HandleNeeded();
  }

  void Drag(int fromX, int toX) {
    HWND wnd = splitter->Handle();
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, 5));
    SendMessageA(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, 5));
    SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(toX, 5));
  }

  std::unique_ptr<TForm> form;
  TPanel *host = nullptr;
  TPanel *pane = nullptr;
  TPanel *rest = nullptr;
  TSplitter *splitter = nullptr;
};

TEST_F(Splitter, SitsRightOfThePaneAndDraggingResizesIt) {
  EXPECT_EQ(splitter->Left(), 100);
  EXPECT_EQ(splitter->Width(), 3);
  int moved = 0;
  splitter->OnMoved = [&](TObject *) { ++moved; };

  Drag(1, 51);
  EXPECT_EQ(pane->Width(), 150);
  EXPECT_EQ(splitter->Left(), 150);
  EXPECT_EQ(rest->Left(), 153);
  EXPECT_EQ(rest->Width(), 247);
  EXPECT_EQ(moved, 1);

  Drag(1, -30);
  EXPECT_EQ(pane->Width(), 119);
}

TEST_F(Splitter, NeverMakesEitherSideSmallerThanMinSize) {
  Drag(1, 1000);
  // 400 wide, less the splitter's 3 and the 30 left for the other side.
  EXPECT_EQ(pane->Width(), 367);
  EXPECT_EQ(rest->Width(), 30);
  Drag(1, -1000);
  EXPECT_EQ(pane->Width(), 30);
}

TEST_F(Splitter, MovingTheMouseWithoutPressingResizesNothing) {
  SendMessageA(splitter->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(60, 5));
  EXPECT_EQ(pane->Width(), 100);
  // A splitter with nothing beside it on its edge side has nothing to resize.
  pane->SetAlign(alRight);
  int before = rest->Width();
  Drag(1, 40);
  EXPECT_EQ(rest->Width(), before);
}

} // namespace
