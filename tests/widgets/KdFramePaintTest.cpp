#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "toolkit/Form.h"
#include "toolkit/Panel.h"
#include "widgets/UKdFrame.h"

namespace {

using TSize = std::pair<LONG, LONG>;

const RECT StyleBorders[KdFrameStyleCount] = {{0, 0, 0, 0}, {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2},
                                              {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 2, 0, 0},
                                              {0, 2, 0, 2}, {2, 0, 0, 0}, {2, 0, 2, 0}};

// The frame a style should show, set pixel by pixel from its description: lines are polylines without their
// last point; outlines take the left and top edges of their rectangle, not the right and bottom ones.
class TExpectedFrame {
public:
  TExpectedFrame(int width, int height) : FWidth(width), FHeight(height), FPixels(width * height) {}

  void Line(COLORREF color, std::initializer_list<POINT> points) {
    for (const POINT *a = points.begin(), *b = a + 1; b != points.end(); ++a, ++b)
      for (POINT q = *a; q.x != b->x || q.y != b->y;
           q.x += (b->x > q.x) - (b->x < q.x), q.y += (b->y > q.y) - (b->y < q.y))
        if (q.x >= 0 && q.y >= 0 && q.x < FWidth && q.y < FHeight)
          FPixels[q.y * FWidth + q.x] = color;
  }
  void Outline(COLORREF color, LONG l, LONG t, LONG r, LONG b) {
    Line(color, {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}});
  }
  std::optional<COLORREF> At(int x, int y) const { return FPixels[y * FWidth + x]; }

private:
  int FWidth, FHeight;
  std::vector<std::optional<COLORREF>> FPixels;
};

TExpectedFrame Expected(TKdFrameStyle style, int width, int height, int captionHeight) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 face = GetSysColor(COLOR_BTNFACE), dark = GetSysColor(COLOR_3DDKSHADOW);
  const LONG L = 0, T = 0, R = width - 1, B = height - 1;
  TExpectedFrame e(width, height);
  bool first = style == kdfsLowered || style == kdfsDint || style == kdfsHorzEdge || style == kdfsVertEdge;
  switch (style) {
  case kdfsGroup:
    for (LONG y = T; y <= B; ++y)
      e.Line(face, {{L, y}, {R + 1, y}});
    e.Outline(light, L + 1, T + captionHeight / 2, R + 1, B + 1);
    e.Outline(shadow, L, T + captionHeight / 2 - 1, R, B);
    break;
  case kdfsLowered:
  case kdfsRaised:
    e.Line(first ? shadow : light, {{L, B - 1}, {L, T}, {R, T}});
    e.Line(first ? dark : face, {{L + 1, B - 2}, {L + 1, T + 1}, {R - 1, T + 1}});
    e.Line(first ? face : shadow, {{L + 1, B - 1}, {R - 1, B - 1}, {R - 1, T}});
    e.Line(first ? light : dark, {{L, B}, {R, B}, {R, T - 1}});
    break;
  case kdfsDint:
  case kdfsBump:
    e.Line(first ? shadow : light, {{L, B - 1}, {L, T}, {R, T}});
    e.Line(first ? light : shadow, {{L, B}, {R, B}, {R, T - 1}});
    break;
  case kdfsSingle:
    e.Outline(GetSysColor(COLOR_WINDOWFRAME), L, T, R + 1, B + 1);
    break;
  case kdfsHorzEdge:
    e.Line(shadow, {{L, B - 1}, {R + 1, B - 1}});
    e.Line(light, {{L, B}, {R + 1, B}});
    [[fallthrough]];
  case kdfsHorzLine:
    e.Line(shadow, {{L, T}, {R + 1, T}});
    e.Line(light, {{L, T + 1}, {R + 1, T + 1}});
    break;
  case kdfsVertEdge:
    e.Line(shadow, {{R - 1, T}, {R - 1, B + 1}});
    e.Line(light, {{R, T}, {R, B + 1}});
    [[fallthrough]];
  case kdfsVertLine:
    e.Line(shadow, {{L, T}, {L, B + 1}});
    e.Line(light, {{L + 1, T}, {L + 1, B + 1}});
    break;
  case kdfsNone:
    break;
  }
  return e;
}

// Every pixel of the border (outside the client area and the caption) must be the expected one: the frame at
// 96 dpi with every pixel a square of scale by scale.
void ExpectFrame(const zortest::TPicture &picture, const TExpectedFrame &expected, int scale, RECT client, RECT caption,
                 const char *how) {
  int wrong = 0;
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x)
      if (!PtInRect(&client, {x, y}) && !PtInRect(&caption, {x, y}) &&
          expected.At(x / scale, y / scale) != picture.At(x, y) && ++wrong <= 3)
        ADD_FAILURE() << how << ": pixel " << x << "," << y << " is " << std::hex << picture.At(x, y);
  EXPECT_EQ(wrong, 0) << how;
}

// At 96 dpi and at twice that: the same frames, twice as wide, each line two pixels thick.
class FramePaint : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Dpi, FramePaint, ::testing::Values(96, 192));

TEST_P(FramePaint, EachStyleTakesItsBorderAndDrawsItsLinesOnScreenAndWhenPrinted) {
  const int scale = GetParam() / 96;
  TForm form(nullptr);
  form.SetBounds(0, 0, 1200, 400);
  std::vector<TPanel *> children;
  // One group of each style, and a group with a caption last; sizes vary a little.
  for (int i = 0; i <= KdFrameStyleCount; ++i) {
    auto *group = new TKdGroup(&form);
    group->SetFrameStyle(i < KdFrameStyleCount ? static_cast<TKdFrameStyle>(i) : kdfsGroup);
    group->SetCaption(i < KdFrameStyleCount ? "" : "Caption");
    group->SetBounds(5 + i * 45, 10, 37 + i % 3, 29 + i % 4);
    group->SetParent(&form);
    auto *child = new TPanel(&form);
    child->SetParent(group);
    child->SetAlign(alClient);
    children.push_back(child);
    const RECT &b = StyleBorders[group->FrameStyle()];
    if (i < KdFrameStyleCount) {
      EXPECT_EQ(TSize(child->Width(), child->Height()),
                TSize(group->Width() - b.left - b.right, group->Height() - b.top - b.bottom))
          << "style " << i << " before the window exists";
    }
  }
  form.Show();
  // Shown at 96 dpi, then on a monitor of the resolution under test.
  zortest::MoveToDpi(form.Handle(), GetParam());
  zortest::PumpFor(50);
  for (TPanel *child : children) {
    auto *group = static_cast<TKdGroup *>(child->Parent());
    HWND wnd = group->Handle();
    RECT window, client;
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    int width = window.right - window.left, height = window.bottom - window.top;
    bool captioned = !group->Caption().empty();
    SCOPED_TRACE("style " + std::to_string(group->FrameStyle()) + (captioned ? " with caption" : ""));
    if (!captioned) {
      const RECT &b = StyleBorders[group->FrameStyle()];
      EXPECT_EQ(std::tuple(client.left, client.top, width - client.right, height - client.bottom),
                std::tuple(b.left * scale, b.top * scale, b.right * scale, b.bottom * scale));
    }
    EXPECT_EQ(child->BoundsRect().right, client.right - client.left);
    // The caption is the group's top border; it is drawn between 8 pixels from the left and 10 from the right
    // (at 96 dpi).
    int h = captioned ? client.top : 2 * scale;
    RECT caption = captioned ? RECT{8 * scale, 0, width - 10 * scale, h} : RECT{};
    TExpectedFrame expected = Expected(group->FrameStyle(), width / scale, height / scale, h / scale);
    ExpectFrame(zortest::ShownWindowPicture(wnd), expected, scale, client, caption, "shown");
    ExpectFrame(zortest::PrintWindowPicture(wnd, PRF_NONCLIENT, width, height, RGB(0, 255, 0)), expected, scale, client,
                caption, "printed");
  }
}

} // namespace
