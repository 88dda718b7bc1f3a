#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "toolkit/Form.h"
#include "toolkit/Panel.h"
#include "widgets/UKdFrame.h"

namespace {

int HeightOfZero(const TFont &font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  SIZE size;
  GetTextExtentPoint32W(dc, L"0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

// Brightness, 0 (black) to 255 (white); letters have smoothed edges.
int Luma(COLORREF c) { return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3; }

// The caption band of a group (its top h rows, columns from..to) but the two rows of the etched line.
template <class F> void ForCaptionBand(int h, int from, int to, F visit) {
  for (int y = 0; y < h; ++y)
    for (int x = from; x < to; ++x)
      if (y != h / 2 - 1 && y != h / 2)
        visit(x, y);
}

class Group : public ::testing::Test {
protected:
  void SetUp() override { form.SetBounds(0, 0, 500, 400); }

  TKdGroup *Make(TKdFrameStyle style, int width, int height, const std::string &caption) {
    auto *group = new TKdGroup(&form);
    group->SetFrameStyle(style);
    group->SetCaption(caption);
    group->SetBounds(10, 10, width, height);
    group->SetParent(&form);
    return group;
  }
  TPanel *ClientChild(TKdGroup *group) {
    auto *child = new TPanel(&form);
    child->SetParent(group);
    child->SetAlign(alClient);
    return child;
  }
  void Show() {
    form.Show();
    zortest::PumpFor(50);
  }

  TForm form{nullptr};
};

TEST_F(Group, TheCaptionAndItsFontDecideTheTopBorderAndMoveTheChildren) {
  TKdGroup *group = Make(kdfsGroup, 120, 80, "");
  TPanel *child = ClientChild(group);
  Show();
  auto childTop = [&] {
    RECT window;
    GetWindowRect(group->Handle(), &window);
    return child->ClientToScreen({0, 0}).y - window.top;
  };
  EXPECT_EQ(childTop(), 2);
  group->SetCaption("Files");
  int h = HeightOfZero(group->Font());
  EXPECT_EQ(childTop(), h);
  EXPECT_EQ(child->Height(), 80 - h - 2);
  group->Font().SetHeight(-24);
  EXPECT_GT(HeightOfZero(group->Font()), h);
  EXPECT_EQ(childTop(), HeightOfZero(group->Font()));
  group->SetCaption("");
  EXPECT_EQ(childTop(), 2);
  EXPECT_EQ(child->Height(), 76);
}

TEST_F(Group, TinyFramesAndLongCaptionsNeverDrawOutsideTheWindow) {
  const COLORREF green = RGB(0, 255, 0);
  for (int style = 0; style < KdFrameStyleCount; ++style) {
    for (int size : {0, 1, 3, 60}) {
      TKdGroup *group = Make(static_cast<TKdFrameStyle>(style), size, size, std::string(200, 'W'));
      ClientChild(group);
      Show();
      RECT client;
      GetClientRect(group->Handle(), &client);
      EXPECT_TRUE(client.right >= 0 && client.bottom >= 0) << "an empty client area, never an inverted one";
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

TEST_F(Group, ACaptionTooLongForTheFrameEndsInDots) {
  TKdGroup *group = Make(kdfsGroup, 80, 40, std::string(40, 'W'));
  Show();
  zortest::TPicture picture = zortest::ShownWindowPicture(group->Handle());
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int h = HeightOfZero(group->Font());
  // Ink ends before the caption's right edge, 9 pixels inside the frame; the frame line goes on behind it.
  int last = -1;
  ForCaptionBand(h, 2, 78, [&](int x, int y) { last = picture.At(x, y) != face ? std::max(last, x) : last; });
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
  // Counts of black, darker and lighter pixels than the face, with the centres of the latter two.
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
      if (luma < face - 8)
        ++ink.Dark, ink.DarkX += x, ink.DarkY += y;
      else if (luma > face)
        ++ink.Light, ink.LightX += x, ink.LightY += y;
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
  EXPECT_TRUE(dx > 0.3 && dx < 2.5 && dy > 0.3 && dy < 2.5) << dx << "," << dy;

  group->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(second->Handle()));
  EXPECT_EQ(ink().Light, 0);
  second->SetEnabled(false);
  group->EnableChildren(true);
  EXPECT_TRUE(second->Enabled());
}

} // namespace
