#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <utility>

#include "treelist/UKdTreeList.h"

namespace {

constexpr COLORREF kTextColor = RGB(1, 2, 3);
constexpr COLORREF kBackColor = RGB(4, 5, 6);
constexpr COLORREF kUntouched = RGB(7, 8, 9);

// A memory device context prepared as a control prepares one for its custom-draw notifications: the
// control's font selected, its text and background colours set.
class CustomDraw : public ::testing::Test {
protected:
  void SetUp() override {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, 16, 16);
    oldBitmap = SelectObject(dc, bitmap);
    oldFont = SelectObject(dc, controlFont.Handle());
    SetTextColor(dc, kTextColor);
    SetBkColor(dc, kBackColor);
  }
  void TearDown() override {
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  // A tree's or a list's record (both carry the colours after the common part).
  template <class TRecord> TRecord Record(DWORD stage) {
    TRecord record = {};
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.clrText = kUntouched;
    record.clrTextBk = kUntouched;
    return record;
  }
  NMTVCUSTOMDRAW TreeRecord(DWORD stage) { return Record<NMTVCUSTOMDRAW>(stage); }
  NMLVCUSTOMDRAW ListRecord(DWORD stage) { return Record<NMLVCUSTOMDRAW>(stage); }

  TFont controlFont;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HGDIOBJ oldFont = nullptr;
  LRESULT result = 0x77;
};

TEST_F(CustomDraw, StartsFromTheDeviceContextsColoursWithNothingChangedAndNamesEachStage) {
  NMTVCUSTOMDRAW record = TreeRecord(CDDS_ITEMPREPAINT);
  TKdTvCustomDraw draw(&record, &controlFont, &result);
  EXPECT_EQ(draw.Font()->Color(), static_cast<TColor>(kTextColor));
  EXPECT_TRUE(draw.Font()->SameFace(controlFont));
  EXPECT_EQ(draw.Brush()->Color(), static_cast<TColor>(kBackColor));
  EXPECT_FALSE(draw.FontChanged || draw.BrushChanged || draw.SkipDefault || draw.ResultSet || draw.NotifyItemDraw);
  const std::pair<DWORD, TKdCustomDrawStage> stages[] = {{CDDS_PREPAINT, kdcdsPrePaint},
                                                         {CDDS_POSTPAINT, kdcdsPostPaint},
                                                         {CDDS_ITEMPREPAINT, kdcdsItemPrePaint},
                                                         {CDDS_ITEMPOSTPAINT, kdcdsItemPostPaint},
                                                         {CDDS_PREERASE, kdcdsOther},
                                                         {CDDS_ITEMPREPAINT | CDDS_SUBITEM, kdcdsOther}};
  for (auto [stage, expected] : stages) {
    record.nmcd.dwDrawStage = stage;
    EXPECT_EQ(draw.Stage(), expected) << std::hex << stage;
  }
}

TEST_F(CustomDraw, TheResultFollowsTheStageAndTheFlagsAndOnlyATreeKeepsAHandlersOwnResult) {
  constexpr LRESULT kOwn = CDRF_NOTIFYPOSTPAINT; // what a handler wrote itself
  struct Case {
    bool tree;
    DWORD stage;
    bool notifyItemDraw, skipDefault, resultSet;
    LRESULT expected;
  };
  const Case cases[] = {
      {true, CDDS_PREPAINT, false, false, false, 0},
      {true, CDDS_PREPAINT, true, false, false, CDRF_NOTIFYITEMDRAW},
      {true, CDDS_PREPAINT, true, false, true, kOwn},
      {false, CDDS_PREPAINT, true, false, true, CDRF_NOTIFYITEMDRAW},
      {true, CDDS_ITEMPREPAINT, false, true, false, CDRF_SKIPDEFAULT},
      {true, CDDS_ITEMPREPAINT, false, true, true, kOwn},
      {false, CDDS_ITEMPREPAINT, false, true, true, CDRF_SKIPDEFAULT},
      {true, CDDS_ITEMPOSTPAINT, true, true, false, 0},
      {false, CDDS_POSTPAINT, true, true, false, 0},
  };
  for (const Case &c : cases) {
    NMTVCUSTOMDRAW tree = TreeRecord(c.stage);
    NMLVCUSTOMDRAW list = ListRecord(c.stage);
    std::unique_ptr<TKdCustomDraw> draw;
    if (c.tree)
      draw = std::make_unique<TKdTvCustomDraw>(&tree, &controlFont, &result);
    else
      draw = std::make_unique<TKdLvCustomDraw>(&list, &controlFont, &result);
    draw->NotifyItemDraw = c.notifyItemDraw;
    draw->SkipDefault = c.skipDefault;
    draw->ResultSet = c.resultSet;
    draw->Font()->SetColor(clRed);
    result = kOwn;
    draw->Apply();
    EXPECT_EQ(result, c.expected) << (c.tree ? "tree " : "list ") << std::hex << c.stage << " " << c.notifyItemDraw
                                  << c.skipDefault << c.resultSet;
    EXPECT_EQ(c.tree ? tree.clrText : list.clrText, kUntouched) << "a skipped or non-item stage is not recoloured";
  }
}

TEST_F(CustomDraw, AColourOnlyChangeRecoloursTheTextWithoutANewFontAndABrushChangeTheBackground) {
  NMTVCUSTOMDRAW record = TreeRecord(CDDS_ITEMPREPAINT);
  TKdTvCustomDraw draw(&record, &controlFont, &result);
  draw.Font()->SetColor(clRed);
  draw.Apply();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(record.clrText, RGB(255, 0, 0));
  EXPECT_EQ(record.clrTextBk, kUntouched);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), controlFont.Handle());

  draw.Brush()->SetColor(clBlue);
  draw.Apply();
  EXPECT_EQ(record.clrTextBk, RGB(0, 0, 255));

  // Nothing changed: the control's own colours stay.
  NMLVCUSTOMDRAW list = ListRecord(CDDS_ITEMPREPAINT);
  TKdLvCustomDraw unchanged(&list, &controlFont, &result);
  unchanged.Apply();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(list.clrText, kUntouched);
  EXPECT_EQ(list.clrTextBk, kUntouched);
}

TEST_F(CustomDraw, AFaceChangeSelectsTheNewFontAndSaysSo) {
  NMLVCUSTOMDRAW record = ListRecord(CDDS_ITEMPREPAINT);
  TKdLvCustomDraw draw(&record, &controlFont, &result);
  draw.Font()->SetStyle(fsBold);
  draw.Apply();
  EXPECT_EQ(result, CDRF_NEWFONT);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), draw.Font()->Handle());
  EXPECT_NE(draw.Font()->Handle(), controlFont.Handle());
  EXPECT_EQ(record.clrText, kTextColor);
  LOGFONTA selected = {};
  GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof selected, &selected);
  EXPECT_EQ(selected.lfWeight, FW_BOLD);
  SelectObject(dc, controlFont.Handle());
}

} // namespace
