#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "WindowPicture.h"
#include "common/TestSupport.h"
#include "toolkit/Form.h"
#include "widgets/UKdFrame.h"

namespace {

// The frame each style should show, drawn here pixel by pixel from its description: lines are polylines
// without their last point, outlines include their left and top edges and exclude their right and bottom.
class TExpectedFrame {
public:
  TExpectedFrame(int width, int height) : FWidth(width), FPixels(static_cast<size_t>(width) * height) {}

  void Line(COLORREF color, std::initializer_list<POINT> points) {
    const POINT *p = points.begin();
    for (size_t i = 1; i < points.size(); ++i) {
      POINT a = p[i - 1], b = p[i];
      int dx = (b.x > a.x) - (b.x < a.x), dy = (b.y > a.y) - (b.y < a.y);
      for (POINT q = a; q.x != b.x || q.y != b.y; q.x += dx, q.y += dy)
        Set(q.x, q.y, color);
    }
  }
  void Outline(COLORREF color, RECT r) {
    Line(color,
         {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}, {r.left, r.top}});
  }
  void Fill(COLORREF color, RECT r) {
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x)
        Set(x, y, color);
  }
  std::optional<COLORREF> At(int x, int y) const { return FPixels[static_cast<size_t>(y) * FWidth + x]; }

private:
  void Set(LONG x, LONG y, COLORREF color) {
    if (x >= 0 && y >= 0 && x < FWidth && static_cast<size_t>(y * FWidth + x) < FPixels.size())
      FPixels[static_cast<size_t>(y) * FWidth + x] = color;
  }
  int FWidth;
  std::vector<std::optional<COLORREF>> FPixels;
};

TExpectedFrame Expected(TKdFrameStyle style, int width, int height, int captionHeight) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 face = GetSysColor(COLOR_BTNFACE), dark = GetSysColor(COLOR_3DDKSHADOW),
                 frame = GetSysColor(COLOR_WINDOWFRAME);
  const LONG L = 0, T = 0, R = width - 1, B = height - 1;
  TExpectedFrame e(width, height);
  switch (style) {
  case kdfsGroup: {
    LONG top = T + captionHeight / 2 - 1;
    e.Fill(face, {L, T, R + 1, B + 1});
    e.Outline(light, {L + 1, top + 1, R + 1, B + 1});
    e.Outline(shadow, {L, top, R, B});
    break;
  }
  case kdfsLowered:
  case kdfsRaised: {
    bool low = style == kdfsLowered;
    e.Line(low ? shadow : light, {{L, B - 1}, {L, T}, {R, T}});
    e.Line(low ? dark : face, {{L + 1, B - 2}, {L + 1, T + 1}, {R - 1, T + 1}});
    e.Line(low ? face : shadow, {{L + 1, B - 1}, {R - 1, B - 1}, {R - 1, T}});
    e.Line(low ? light : dark, {{L, B}, {R, B}, {R, T - 1}});
    break;
  }
  case kdfsDint:
  case kdfsBump:
    e.Line(style == kdfsDint ? shadow : light, {{L, B - 1}, {L, T}, {R, T}});
    e.Line(style == kdfsDint ? light : shadow, {{L, B}, {R, B}, {R, T - 1}});
    break;
  case kdfsSingle:
    e.Outline(frame, {L, T, R + 1, B + 1});
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

// Compares every pixel of the border (outside the client area, and outside skip) with the expected frame.
void ExpectFrame(const zortest::TPicture &picture, const TExpectedFrame &expected, const RECT &client, const RECT &skip,
                 const char *how) {
  int wrong = 0;
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x) {
      POINT p = {x, y};
      if (PtInRect(&client, p) || PtInRect(&skip, p))
        continue;
      std::optional<COLORREF> want = expected.At(x, y);
      if ((!want || *want != picture.At(x, y)) && ++wrong <= 5)
        ADD_FAILURE() << how << ": pixel " << x << "," << y << " is " << std::hex << picture.At(x, y) << " instead of "
                      << (want ? *want : 0xFFFFFFFF);
    }
  EXPECT_EQ(wrong, 0) << how;
}

TEST(FramePaint, EachStyleDrawsItsLinesAsDescribedOnScreenAndWhenPrinted) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 600, 200);
  std::vector<TKdGroup *> groups;
  for (int style = 0; style <= KdFrameStyleCount; ++style) {
    auto *group = new TKdGroup(form.get());
    // The last one is a group with a caption.
    group->SetFrameStyle(style < KdFrameStyleCount ? static_cast<TKdFrameStyle>(style) : kdfsGroup);
    group->SetCaption(style < KdFrameStyleCount ? "" : "Caption");
    group->SetBounds(5 + style * 45, 10, 37 + style % 3, 29 + style % 4);
    group->SetParent(form.get());
    groups.push_back(group);
  }
  form->Show();
  zortest::PumpFor(50);
  for (TKdGroup *group : groups) {
    HWND wnd = group->Handle();
    RECT window, client;
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    int width = window.right - window.left, height = window.bottom - window.top;
    bool captioned = !group->Caption().empty();
    int h = captioned ? client.top : 2;
    RECT caption = captioned ? RECT{8, 0, width - 10, h} : RECT{};
    SCOPED_TRACE("style " + std::to_string(group->FrameStyle()) + (captioned ? " with caption" : ""));
    TExpectedFrame expected = Expected(group->FrameStyle(), width, height, h);
    ExpectFrame(zortest::ShownWindowPicture(wnd), expected, client, caption, "shown");
    ExpectFrame(zortest::PrintWindowPicture(wnd, PRF_NONCLIENT, width, height, RGB(0, 255, 0)), expected, client,
                caption, "printed");
  }
}

} // namespace
