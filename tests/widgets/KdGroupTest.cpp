#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "WindowPicture.h"
#include "common/TestSupport.h"
#include "toolkit/Form.h"
#include "toolkit/Panel.h"
#include "widgets/UKdFrame.h"

namespace {

const RECT StyleBorders[KdFrameStyleCount] = {{0, 0, 0, 0}, {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2},
                                              {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 2, 0, 0},
                                              {0, 2, 0, 2}, {2, 0, 0, 0}, {2, 0, 2, 0}};

std::string Text(const RECT &r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// How far the client area lies inside the window on each side.
RECT Border(TWinControl *control) {
  HWND wnd = control->Handle();
  RECT window, client;
  GetWindowRect(wnd, &window);
  GetClientRect(wnd, &client);
  MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
  return {client.left - window.left, client.top - window.top, window.right - client.right,
          window.bottom - client.bottom};
}

int HeightOfZero(const TFont &font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  SIZE size;
  GetTextExtentPoint32W(dc, L"0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

class Group : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 400);
  }

  TKdGroup *Make(TKdFrameStyle style, int width, int height, const std::string &caption = {}) {
    auto *group = new TKdGroup(form.get());
    group->SetFrameStyle(style);
    group->SetCaption(caption);
    group->SetBounds(10, 10, width, height);
    group->SetParent(form.get());
    return group;
  }

  TPanel *ClientChild(TKdGroup *group) {
    auto *child = new TPanel(form.get());
    child->SetParent(group);
    child->SetAlign(alClient);
    return child;
  }

  void Show() {
    form->Show();
    zortest::PumpFor(50);
  }

  std::unique_ptr<TForm> form;
};

TEST_F(Group, EachStyleTakesItsBorderBeforeAndAfterTheWindowExists) {
  TPanel *children[KdFrameStyleCount];
  for (int style = 0; style < KdFrameStyleCount; ++style)
    children[style] = ClientChild(Make(static_cast<TKdFrameStyle>(style), 64, 48));
  for (int pass = 0; pass < 2; ++pass) {
    for (int style = 0; style < KdFrameStyleCount; ++style) {
      const RECT &b = StyleBorders[style];
      EXPECT_EQ(Text(children[style]->BoundsRect()), Text({0, 0, 64 - b.left - b.right, 48 - b.top - b.bottom}))
          << "style " << style << (pass ? " shown" : " without a window");
      if (pass) {
        EXPECT_EQ(Text(Border(children[style]->Parent())), Text(b)) << "style " << style;
      }
    }
    Show();
  }
}

TEST_F(Group, TheCaptionAndItsFontDecideTheTopBorderAndMoveTheChildren) {
  TKdGroup *group = Make(kdfsGroup, 120, 80);
  TPanel *child = ClientChild(group);
  Show();
  EXPECT_EQ(Text(Border(group)), "2,2,2,2");
  group->SetCaption("Files");
  int h = HeightOfZero(group->Font());
  EXPECT_EQ(Text(Border(group)), Text({2, h, 2, 2}));
  EXPECT_EQ(Text(child->BoundsRect()), Text({0, 0, 116, 78 - h}));
  EXPECT_EQ(child->ClientToScreen({0, 0}).y - group->ClientToScreen({0, 0}).y, 0);

  group->Font().SetHeight(-24);
  int big = HeightOfZero(group->Font());
  ASSERT_GT(big, h);
  EXPECT_EQ(Border(group).top, big);
  EXPECT_EQ(child->Height(), 78 - big);

  group->SetCaption("");
  EXPECT_EQ(Text(Border(group)), "2,2,2,2");
  EXPECT_EQ(child->Height(), 76);
}

TEST_F(Group, TinyFramesAndLongCaptionsNeverDrawOutsideTheWindow) {
  const COLORREF green = RGB(0, 255, 0);
  for (int style = 0; style < KdFrameStyleCount; ++style) {
    for (int size : {0, 1, 3, 60}) {
      TKdGroup *group = Make(static_cast<TKdFrameStyle>(style), size, size, std::string(200, 'W'));
      TPanel *child = ClientChild(group);
      Show();
      RECT client;
      GetClientRect(group->Handle(), &client);
      EXPECT_GE(client.right, 0);
      EXPECT_GE(client.bottom, 0);
      EXPECT_GE(child->Width(), 0);
      zortest::TPicture picture =
          zortest::PrintWindowPicture(group->Handle(), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND, 80, 80, green);
      int outside = 0;
      for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
          outside += (x >= size || y >= size) && picture.At(x, y) != green;
      EXPECT_EQ(outside, 0) << "style " << style << " size " << size;
      delete group;
    }
  }
}

// Brightness of a pixel, 0 (black) to 255 (white): letters are drawn with smoothed edges.
int Luma(COLORREF c) { return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3; }

// Visits the pixels of a group's caption band (of height h, columns from..to) but the two rows of the etched
// line.
template <class F> void ForCaptionBand(int h, int from, int to, F visit) {
  for (int y = 0; y < h; ++y)
    for (int x = from; x < to; ++x)
      if (y != h / 2 - 1 && y != h / 2)
        visit(x, y);
}

TEST_F(Group, ACaptionTooLongForTheFrameEndsInDots) {
  TKdGroup *group = Make(kdfsGroup, 80, 40, std::string(40, 'W'));
  Show();
  zortest::TPicture picture = zortest::ShownWindowPicture(group->Handle());
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int h = HeightOfZero(group->Font());
  // Ink ends before the caption's right edge, 9 pixels inside the frame; the frame line goes on behind it.
  int last = -1;
  ForCaptionBand(h, 2, 78, [&](int x, int y) {
    if (picture.At(x, y) != face)
      last = std::max(last, x);
  });
  ASSERT_GT(last, 40);
  EXPECT_LT(last, 80 - 10);
  EXPECT_EQ(picture.At(80 - 5, h / 2 - 1), GetSysColor(COLOR_BTNSHADOW));
  // Dots sit low: the last columns hold no ink in the upper half, where every W has some.
  for (int y = 0; y < h / 2 - 1; ++y)
    for (int x = last - 6; x <= last; ++x)
      EXPECT_EQ(picture.At(x, y), face) << x << "," << y;
}

TEST_F(Group, ADisabledGroupEmbossesItsCaptionAndDisablesItsChildren) {
  TKdGroup *group = Make(kdfsGroup, 120, 60, "Options");
  TPanel *first = ClientChild(group);
  TPanel *second = ClientChild(group);
  Show();
  const int face = Luma(GetSysColor(COLOR_BTNFACE));
  int h = HeightOfZero(group->Font());
  // Pixels darker and lighter than the face, with their centres.
  struct Ink {
    int Black = 0, Dark = 0, Light = 0;
    double DarkX = 0, DarkY = 0, LightX = 0, LightY = 0;
  };
  auto ink = [&] {
    zortest::TPicture p = zortest::ShownWindowPicture(group->Handle());
    Ink ink;
    ForCaptionBand(h, 8, 110, [&](int x, int y) {
      int luma = Luma(p.At(x, y));
      ink.Black += luma < 60;
      if (luma < face - 8) {
        ++ink.Dark, ink.DarkX += x, ink.DarkY += y;
      } else if (luma > face) {
        ++ink.Light, ink.LightX += x, ink.LightY += y;
      }
    });
    return ink;
  };
  Ink enabled = ink();
  EXPECT_GT(enabled.Black, 10);
  EXPECT_EQ(enabled.Light, 0);

  group->SetEnabled(false);
  EXPECT_FALSE(first->Enabled());
  EXPECT_FALSE(IsWindowEnabled(second->Handle()));
  Ink disabled = ink();
  EXPECT_EQ(disabled.Black, 0);
  ASSERT_GT(disabled.Dark, 20);
  ASSERT_GT(disabled.Light, 10);
  // The light copy lies a pixel right of and below the dark one.
  double dx = disabled.LightX / disabled.Light - disabled.DarkX / disabled.Dark;
  double dy = disabled.LightY / disabled.Light - disabled.DarkY / disabled.Dark;
  EXPECT_GT(dx, 0.3);
  EXPECT_LT(dx, 2.5);
  EXPECT_GT(dy, 0.3);
  EXPECT_LT(dy, 2.5);

  group->SetEnabled(true);
  EXPECT_TRUE(first->Enabled());
  EXPECT_TRUE(IsWindowEnabled(second->Handle()));
  EXPECT_EQ(ink().Light, 0);
  second->SetEnabled(false);
  group->EnableChildren(true);
  EXPECT_TRUE(second->Enabled());
}

TEST_F(Group, TheClientShowsTheAlignedCaptionOrOnlyWhatOnPaintDraws) {
  TKdGroup *group = Make(kdfsLowered, 100, 30, "Text");
  group->SetFrameSpace(6);
  group->SetAlignment(taLeftJustify);
  Show();
  const COLORREF green = RGB(0, 255, 0);
  auto ink = [&](int &first, int &last) {
    zortest::TPicture p = zortest::PrintWindowPicture(group->Handle(), PRF_CLIENT, 96, 26, green);
    first = 96, last = -1;
    for (int y = 0; y < 26; ++y)
      for (int x = 0; x < 96; ++x)
        if (GetGValue(p.At(x, y)) < 128) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    return p;
  };
  int first, last;
  zortest::TPicture left = ink(first, last);
  EXPECT_EQ(left.At(90, 2), GetSysColor(COLOR_BTNFACE)) << "filled with the colour";
  EXPECT_GE(first, 6);
  EXPECT_LT(first, 9);
  group->SetAlignment(taRightJustify);
  ink(first, last);
  EXPECT_LT(last, 96 - 6);
  EXPECT_GT(last, 96 - 10);

  int painted = 0;
  group->DefaultDrawing = false;
  group->OnPaint = [&](TObject *sender, TCanvas &canvas) {
    EXPECT_EQ(sender, group);
    canvas.BrushColor = clWhite;
    canvas.FillRect({0, 0, 4, 4});
    ++painted;
  };
  zortest::TPicture own = ink(first, last);
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(last, -1) << "no caption";
  EXPECT_EQ(own.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(own.At(50, 13), green) << "nothing erased";
}

TEST_F(Group, OnlyANewFrameStyleMakesTheWindowAgain) {
  TKdGroup *group = Make(kdfsDint, 64, 48);
  TPanel *child = ClientChild(group);
  Show();
  HWND wnd = group->Handle(), childWnd = child->Handle();
  group->SetFrameStyle(kdfsDint);
  EXPECT_EQ(group->Handle(), wnd);
  EXPECT_TRUE(IsWindow(childWnd));
  group->SetFrameStyle(kdfsVertEdge);
  EXPECT_FALSE(IsWindow(childWnd));
  EXPECT_EQ(Text(Border(group)), "2,0,2,0");
  EXPECT_EQ(Text(child->BoundsRect()), "0,0,60,48");
}

} // namespace
