#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "common/TestSupport.h"
#include "toolkit/Brush.h"
#include "toolkit/Canvas.h"
#include "toolkit/Font.h"
#include "toolkit/ImageList.h"
#include "toolkit/Pen.h"

namespace {

// A 32 x 32 white memory bitmap to draw on and read back.
class Surface : public zortest::MemorySurface {
public:
  Surface() : MemorySurface(32, 32, RGB(255, 255, 255)) {}
};

TEST(Drawing, PolygonFillsInsideWithTheBrushAndOutlinesWithThePenAndPolylineLeavesItsLastPoint) {
  Surface surface;
  TCanvas canvas(surface.dc);
  canvas.BrushColor = clRed;
  canvas.PenColor = clBlue;
  POINT square[] = {{4, 4}, {20, 4}, {20, 20}, {4, 20}};
  canvas.Polygon(square, 4);
  EXPECT_EQ(RGB(255, 0, 0), surface.At(12, 12));
  EXPECT_EQ(RGB(0, 0, 255), surface.At(4, 12));
  EXPECT_EQ(RGB(255, 255, 255), surface.At(24, 12));

  POINT line[] = {{0, 28}, {10, 28}};
  canvas.PenColor = clGreen;
  canvas.Polyline(line, 2);
  EXPECT_EQ(RGB(0, 128, 0), surface.At(0, 28));
  EXPECT_EQ(RGB(0, 128, 0), surface.At(9, 28));
  EXPECT_EQ(RGB(255, 255, 255), surface.At(10, 28));
}

TEST(Drawing, MeasureTextKeepsTheTopLeftAndGrowsWithTheText) {
  Surface surface;
  TCanvas canvas(surface.dc);
  RECT box = {5, 7, 500, 100};
  RECT shortText = canvas.MeasureText(box, "ab", DT_SINGLELINE);
  RECT longText = canvas.MeasureText(box, "ab été 日本 abcdefgh", DT_SINGLELINE);
  EXPECT_EQ(5, shortText.left);
  EXPECT_EQ(7, shortText.top);
  EXPECT_GT(shortText.right, 5);
  EXPECT_GT(longText.right, shortText.right);
  EXPECT_EQ(shortText.bottom, longText.bottom);
}

TEST(Drawing, BrushAndPenReportChangesOnlyWhenTheyChange) {
  TBrush brush(clWhite);
  TPen pen;
  int changes = 0;
  brush.OnChange = [&] { ++changes; };
  pen.OnChange = [&] { ++changes; };
  brush.SetColor(clWhite);
  pen.SetColor(clBlack);
  EXPECT_EQ(0, changes);
  brush.Handle();
  brush.SetColor(clRed);
  pen.SetWidth(2);
  EXPECT_EQ(2, changes);
  LOGBRUSH log = {};
  ASSERT_TRUE(GetObjectA(brush.Handle(), sizeof log, &log));
  EXPECT_EQ(RGB(255, 0, 0), log.lbColor) << "a changed colour gives a new brush";
}

TEST(Drawing, ASharedImageListOutlivesItsObjectAndTakesTheSizeOfTheListItIsGiven) {
  HIMAGELIST borrowed = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  {
    TImageList list(nullptr);
    list.SetShareImages(true);
    list.SetHandle(borrowed);
    EXPECT_EQ(borrowed, list.Handle());
  }
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(borrowed, &cx, &cy)) << "a borrowed list is never destroyed";

  TImageList owner(nullptr, 32, 32);
  owner.SetHandle(borrowed); // owned from here on, destroyed with the object
  EXPECT_EQ(16, owner.Width());
  EXPECT_EQ(16, owner.Height());
}

TEST(Drawing, CopiesOfAFontDrawWithOneGdiFontUntilTheirFaceDiffers) {
  TFont original;
  original.SetSize(10);
  HFONT handle = original.Handle();
  {
    TFont copy(original);
    EXPECT_EQ(handle, copy.Handle());
    TFont assigned;
    assigned.Assign(original);
    assigned.SetColor(clRed);
    EXPECT_EQ(handle, assigned.Handle()) << "the colour is no part of the GDI font";
    assigned.SetStyle(fsItalic);
    EXPECT_NE(handle, assigned.Handle());
  }
  LOGFONTA log = {};
  ASSERT_TRUE(GetObjectA(original.Handle(), sizeof log, &log)) << "the copies going leave the original's font alive";
  EXPECT_EQ(handle, original.Handle());
  EXPECT_FALSE(log.lfItalic);
}

} // namespace
