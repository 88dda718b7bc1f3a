#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "shellns/ShellVersion.h"
#include "toolkit/Form.h"
#include "toolkit/Handles.h"
#include "treelist/UKdTreeList.h"

namespace {

constexpr uint64_t kComCtl400 = 0x0004000000000000ull;
constexpr uint64_t kComCtl581 = 0x0005005100000000ull;
constexpr uint64_t kComCtl600 = 0x0006000000000000ull;

std::string Text(const RECT &r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

std::string Text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

class KdListView : public ::testing::Test {
protected:
  void SetUp() override {
    savedVersion = ComCtl32Version;
    ComCtl32Version = kComCtl581;
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 300);
    list = new TKdCustomListView(form.get());
    list->SetParent(form.get());
    list->SetAlign(alClient);
    list->SetViewStyle(vsReport);
    list->SetMultiSelect(true);
    for (const char *caption : {"Name", "Size", "Type", "Modified"}) {
      TListColumn *column = list->Columns().Add();
      column->SetCaption(caption);
      column->SetWidth(100);
    }
    list->Columns()[1]->SetAlignment(taRightJustify);
    for (const char *caption : {"one", "two", "three"})
      list->Items().Add()->SetCaption(caption);
  }
  void TearDown() override {
    form.reset();
    ComCtl32Version = savedVersion;
  }

  int HeaderFormat(int column) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    SendMessageW(list->HeaderHandle(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
  }

  TGdiObject<HRGN> HeaderItemRegion(int column) {
    RECT rect = {};
    SendMessageW(list->HeaderHandle(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    return TGdiObject<HRGN>(CreateRectRgnIndirect(&rect));
  }

  // Sends a notification of the list to its parent, as the control does.
  LRESULT Notify(NMHDR &header) {
    header.hwndFrom = list->Handle();
    return SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }

  void RightClickAt(POINT client) {
    POINT screen = list->ClientToScreen(client);
    SetCursorPos(screen.x, screen.y);
    NMHDR click = {};
    click.code = NM_RCLICK;
    Notify(click);
  }

  TPopupMenu *AttachPopupMenu() {
    auto *menu = new TPopupMenu(form.get());
    list->SetPopupMenu(menu);
    return menu;
  }

  uint64_t savedVersion = 0;
  std::unique_ptr<TForm> form;
  TKdCustomListView *list = nullptr;
};

TEST_F(KdListView, HeaderFormatsFollowTheDisplayModeAndTheCommonControlsVersion) {
  // Common controls 6.0 and the default mode: the header's own indicator, nothing owner-drawn.
  ComCtl32Version = kComCtl600;
  list->SetSortColumn(1);
  form->HandleNeeded();
  EXPECT_EQ(kdlvRightOfText, list->HeaderSortDisplayMode());
  EXPECT_EQ(HDF_STRING | HDF_RIGHT | HDF_SORTUP, HeaderFormat(1));
  EXPECT_EQ(HDF_STRING | HDF_LEFT, HeaderFormat(0));
  list->SetSortFlag(true);
  EXPECT_EQ(HDF_STRING | HDF_RIGHT | HDF_SORTDOWN, HeaderFormat(1));
  list->SetSortColumn(2);
  EXPECT_EQ(HDF_STRING | HDF_RIGHT, HeaderFormat(1));
  EXPECT_EQ(HDF_STRING | HDF_SORTDOWN, HeaderFormat(2));

  // Before 6.0 the modes are owner-drawn, the justification kept.
  ComCtl32Version = kComCtl581;
  list->SetHeaderSortDisplayMode(kdlvLeftAlign);
  EXPECT_EQ(kdlvLeftAlign, list->HeaderSortDisplayMode());
  for (int column = 0; column < 4; ++column)
    EXPECT_EQ(column == 1 ? HDF_OWNERDRAW | HDF_RIGHT : HDF_OWNERDRAW, HeaderFormat(column)) << column;
  // A column the list writes again (its caption) stays owner-drawn.
  list->Columns()[3]->SetCaption("Changed");
  EXPECT_EQ(HDF_OWNERDRAW, HeaderFormat(3));

  // kdlvNone: the header's own sort flags even before 6.0.
  list->SetHeaderSortDisplayMode(kdlvNone);
  EXPECT_EQ(HDF_STRING | HDF_SORTDOWN, HeaderFormat(2));
  EXPECT_EQ(HDF_STRING | HDF_RIGHT, HeaderFormat(1));

  // Common controls older than 4.70 know no owner-drawn mode.
  ComCtl32Version = kComCtl400;
  list->SetHeaderSortDisplayMode(kdlvRightAlign);
  EXPECT_EQ(kdlvNone, list->HeaderSortDisplayMode());
}

TEST_F(KdListView, ChangingTheSortColumnRedrawsOnlyTheOldAndTheNewHeaderItem) {
  form->Show();
  HWND header = list->HeaderHandle();
  list->SetSortColumn(2);
  UpdateWindow(header);
  ValidateRect(header, nullptr);

  list->SetSortColumn(0);
  TGdiObject<HRGN> updated(CreateRectRgn(0, 0, 0, 0));
  GetUpdateRgn(header, updated.Get(), FALSE);
  TGdiObject<HRGN> expected = HeaderItemRegion(0);
  CombineRgn(expected.Get(), expected.Get(), HeaderItemRegion(2).Get(), RGN_OR);
  EXPECT_TRUE(EqualRgn(updated.Get(), expected.Get()));
}

// An owner-drawn header item drawn into a memory bitmap, read back pixel by pixel.
class HeaderPixels : public zortest::MemorySurface {
public:
  HeaderPixels() : MemorySurface(100, 20, Background) {}
  // Draws header item 0 over the rectangle (0, 0, 100, 20).
  LRESULT Draw(TKdCustomListView *list) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_HEADER;
    item.itemID = 0;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = list->HeaderHandle();
    item.hDC = dc;
    item.rcItem = {0, 0, 100, 20};
    return SendMessageW(list->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  }
  // The leftmost column holding a pixel of the caption (neither the background nor an arrow's colour), or
  // -1.
  int FirstTextColumn() const {
    const COLORREF others[] = {Background, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW),
                               GetSysColor(COLOR_BTNHIGHLIGHT)};
    for (int x = 0; x < 100; ++x)
      for (int y = 0; y < 20; ++y)
        if (std::find(std::begin(others), std::end(others), At(x, y)) == std::end(others))
          return x;
    return -1;
  }

  bool Has(COLORREF color) const {
    for (int x = 0; x < 100; ++x)
      for (int y = 0; y < 20; ++y)
        if (At(x, y) == color)
          return true;
    return false;
  }

  static constexpr COLORREF Background = RGB(0, 255, 0);
};

TEST_F(KdListView, TheOwnerDrawnArrowHasTheGeometryOfItsBox) {
  // Item 0 spans (0, 0, 100, 20): the caption rectangle is (6, 2, 94, 18) and the arrow box (6, 4, 16, 13),
  // so the arrow is 10 wide and 9 high at (6, 4).
  EXPECT_EQ("6,4,16,13", Text(TKdCustomListView::SortArrowRect(RECT{6, 2, 94, 18})));
  EXPECT_EQ("0,5,11,15", Text(TKdCustomListView::SortArrowRect(RECT{0, 5, 50, 17})));

  list->SetHeaderSortDisplayMode(kdlvLeftAlign);
  list->SetSortColumn(0);
  form->HandleNeeded();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  {
    // Downward arrow: shadow from the bottom tip up the left side and along the top, light up the right.
    HeaderPixels pixels;
    EXPECT_EQ(1, pixels.Draw(list));
    EXPECT_EQ(shadow, pixels.At(10, 12)) << "tip";
    EXPECT_EQ(shadow, pixels.At(6, 5));
    EXPECT_EQ(shadow, pixels.At(6, 4));
    EXPECT_EQ(shadow, pixels.At(12, 4));
    EXPECT_EQ(light, pixels.At(11, 12));
    EXPECT_EQ(face, pixels.At(10, 6)) << "filled";
    EXPECT_EQ(HeaderPixels::Background, pixels.At(16, 3)) << "the light line's end is not drawn";
    EXPECT_EQ(HeaderPixels::Background, pixels.At(5, 8));
    EXPECT_EQ(HeaderPixels::Background, pixels.At(10, 13));
    EXPECT_GE(pixels.FirstTextColumn(), 21) << "the caption starts 5 pixels after the arrow";
  }
  {
    // Upward arrow: shadow from the top tip down the left side, light along the bottom and up the right.
    list->SetSortFlag(true);
    HeaderPixels pixels;
    pixels.Draw(list);
    EXPECT_EQ(shadow, pixels.At(10, 4)) << "tip";
    EXPECT_EQ(shadow, pixels.At(6, 11));
    EXPECT_EQ(light, pixels.At(6, 12));
    EXPECT_EQ(light, pixels.At(10, 12));
    EXPECT_EQ(light, pixels.At(15, 12));
    EXPECT_EQ(HeaderPixels::Background, pixels.At(11, 3));
  }
  {
    // At the right edge: the box moved to (79, 4, 89, 13), the caption cut 4 pixels before it.
    list->SetHeaderSortDisplayMode(kdlvRightAlign);
    HeaderPixels pixels;
    pixels.Draw(list);
    EXPECT_EQ(shadow, pixels.At(83, 4)) << "tip";
    EXPECT_EQ(light, pixels.At(79, 12));
    EXPECT_EQ(HeaderPixels::Background, pixels.At(78, 8));
    EXPECT_GE(pixels.FirstTextColumn(), 6);
    EXPECT_LT(pixels.FirstTextColumn(), 10);
  }
  list->SetHeaderSortDisplayMode(kdlvLeftAlign);
  {
    // 15 pixels or narrower: no arrow, the caption at its normal place.
    list->Columns()[0]->SetWidth(15);
    HeaderPixels narrow;
    narrow.Draw(list);
    EXPECT_FALSE(narrow.Has(shadow));
    EXPECT_LT(narrow.FirstTextColumn(), 10);
  }
  {
    // Wider, but the arrow box would take half of it: its place is kept, the arrow not drawn.
    list->Columns()[0]->SetWidth(20);
    HeaderPixels half;
    half.Draw(list);
    EXPECT_FALSE(half.Has(shadow));
    EXPECT_GE(half.FirstTextColumn(), 21);
  }
}

TEST_F(KdListView, ARightClickAsksTheOwnerForTheItemsMenuOrShowsThePlainOne) {
  TPopupMenu *plain = AttachPopupMenu();
  auto *other = new TPopupMenu(form.get());
  form->Show();
  TListItem *two = list->Items()[1];
  two->SetSelected(true);
  two->SetFocused(true);
  RECT bounds = two->DisplayRect(drLabel);
  POINT click = {bounds.left + 3, (bounds.top + bounds.bottom) / 2};
  std::vector<TListItem *> asked;
  POINT askedAt = {};
  TPopupMenu *choice = nullptr;
  list->OnItemContextMenu = [&](TObject *, TListItem *item, POINT &pos, TPopupMenu *&menu) {
    asked.push_back(item);
    askedAt = pos;
    EXPECT_EQ(plain, menu);
    menu = choice;
  };
  zortest::PopupCapture popups;

  // No menu: nothing shows, and neither does the plain menu on the button's release.
  RightClickAt(click);
  EXPECT_EQ(std::vector<TListItem *>{two}, asked);
  EXPECT_EQ(Text(click), Text(askedAt));
  EXPECT_TRUE(list->MenuShown());
  SendMessageW(list->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
  EXPECT_TRUE(popups.Menus.empty());
  EXPECT_FALSE(list->MenuShown());
  EXPECT_EQ(plain, list->PopupMenu()) << "the plain menu is attached again";

  // Another menu: it shows once, at the pointer.
  choice = other;
  RightClickAt(click);
  SendMessageW(list->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
  ASSERT_EQ(1u, popups.Menus.size());
  EXPECT_EQ(other, popups.Menus[0].Menu);
  EXPECT_EQ(Text(list->ClientToScreen(click)), Text(popups.Menus[0].At));
  EXPECT_EQ(list, other->PopupComponent);

  // Empty space, nothing selected: the plain menu without asking, unless it does not pop up by itself.
  list->ClearSelection();
  POINT empty = {200, 200};
  RightClickAt(empty);
  ASSERT_EQ(2u, popups.Menus.size());
  EXPECT_EQ(plain, popups.Menus[1].Menu);
  EXPECT_EQ(Text(list->ClientToScreen(empty)), Text(popups.Menus[1].At));
  EXPECT_EQ(2u, asked.size());
  plain->AutoPopup = false;
  RightClickAt(empty);
  EXPECT_EQ(2u, popups.Menus.size());
}

TEST_F(KdListView, TheMenuKeysOpenTheMenuOfTheFocusedOrTheFirstSelectedItem) {
  TPopupMenu *plain = AttachPopupMenu();
  form->Show();
  std::vector<TListItem *> asked;
  list->OnItemContextMenu = [&](TObject *, TListItem *item, POINT &, TPopupMenu *&) { asked.push_back(item); };
  auto centreOfIcon = [&](int index) {
    RECT icon = list->Items()[index]->DisplayRect(drIcon);
    return list->ClientToScreen({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2});
  };
  zortest::PopupCapture popups;

  // Shift+F10 on a focused, selected item.
  list->Items()[1]->SetSelected(true);
  list->Items()[1]->SetFocused(true);
  BYTE keys[256], shifted[256];
  GetKeyboardState(keys);
  memcpy(shifted, keys, sizeof keys);
  shifted[VK_SHIFT] = 0x80;
  SetKeyboardState(shifted);
  SendMessageW(list->Handle(), WM_SYSKEYDOWN, VK_F10, 0);
  SetKeyboardState(keys);
  ASSERT_EQ(1u, popups.Menus.size());
  EXPECT_EQ(Text(centreOfIcon(1)), Text(popups.Menus[0].At));

  // The menu key with the focus on an unselected item: the first selected item's icon.
  list->Items()[2]->SetSelected(true);
  list->Items()[0]->SetFocused(true);
  SendMessageW(list->Handle(), WM_KEYDOWN, VK_APPS, 0);
  ASSERT_EQ(2u, popups.Menus.size());
  EXPECT_EQ(Text(centreOfIcon(1)), Text(popups.Menus[1].At));
  EXPECT_EQ((std::vector<TListItem *>{list->Items()[1], list->Items()[0]}), asked)
      << "the owner is asked with the focused item";

  // Nothing selected: the plain menu at the list's top-left corner.
  list->ClearSelection();
  SendMessageW(list->Handle(), WM_KEYDOWN, VK_APPS, 0);
  ASSERT_EQ(3u, popups.Menus.size());
  EXPECT_EQ(plain, popups.Menus[2].Menu);
  EXPECT_EQ(Text(list->ClientToScreen({0, 0})), Text(popups.Menus[2].At));
  EXPECT_EQ(2u, asked.size());
}

TEST_F(KdListView, DrawEventsGetTheRowAndTheirChangesReachTheNotification) {
  form->HandleNeeded();
  // The device context as the control hands it over: its font selected.
  HDC dc = GetDC(list->Handle());
  HGDIOBJ oldFont = SelectObject(dc, list->Font().Handle());
  std::vector<TListItem *> drawn;
  list->OnDrawItemStage = [&](TObject *, TKdLvCustomDraw *draw, TListItem *item) {
    drawn.push_back(item);
    draw->Font()->SetColor(clRed);
  };
  NMLVCUSTOMDRAW record = {};
  record.nmcd.hdr.code = NM_CUSTOMDRAW;
  record.nmcd.hdc = dc;
  record.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(CDRF_NOTIFYITEMDRAW, Notify(record.nmcd.hdr));
  EXPECT_TRUE(drawn.empty());
  record.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  record.nmcd.dwItemSpec = 2;
  LRESULT result = Notify(record.nmcd.hdr);
  EXPECT_EQ(std::vector<TListItem *>{list->Items()[2]}, drawn);
  EXPECT_EQ(RGB(255, 0, 0), record.clrText);
  EXPECT_EQ(0, result & CDRF_NEWFONT) << "a colour alone needs no new font";
  ASSERT_NE(nullptr, list->CurrentCustomDraw());
  EXPECT_EQ(kdcdsItemPrePaint, list->CurrentCustomDraw()->Stage());

  // With the toolkit's own item event assigned, the toolkit draws and the list's events stay quiet.
  bool toolkitAsked = false;
  list->OnCustomDrawItem = [&](TObject *, TListItem *, UINT, bool &) {
    toolkitAsked = true;
    list->Canvas().Font.SetColor(clBlue);
  };
  Notify(record.nmcd.hdr);
  EXPECT_TRUE(toolkitAsked);
  EXPECT_EQ(RGB(0, 0, 255), record.clrText);
  EXPECT_EQ(1u, drawn.size());
  SelectObject(dc, oldFont);
  ReleaseDC(list->Handle(), dc);
}

TEST_F(KdListView, TheControlsBackgroundFollowsColorAndTheSystemColours) {
  auto backgrounds = [&] {
    return std::vector<LRESULT>{SendMessageW(list->Handle(), LVM_GETBKCOLOR, 0, 0),
                                SendMessageW(list->Handle(), LVM_GETTEXTBKCOLOR, 0, 0)};
  };
  list->SetColor(clRed);
  form->HandleNeeded();
  EXPECT_EQ((std::vector<LRESULT>{RGB(255, 0, 0), RGB(255, 0, 0)}), backgrounds());
  list->SetColor(clBlue);
  EXPECT_EQ((std::vector<LRESULT>{RGB(0, 0, 255), RGB(0, 0, 255)}), backgrounds());

  // A system colour is looked up again when the user's scheme changes.
  list->SetColor(clWindow);
  COLORREF saved = GetSysColor(COLOR_WINDOW);
  int element = COLOR_WINDOW;
  COLORREF changed = RGB(10, 20, 30);
  SetSysColors(1, &element, &changed);
  SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  std::vector<LRESULT> shown = backgrounds();
  SetSysColors(1, &element, &saved);
  EXPECT_EQ((std::vector<LRESULT>{static_cast<LRESULT>(changed), static_cast<LRESULT>(changed)}), shown);
}

} // namespace
