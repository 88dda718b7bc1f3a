#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "toolkit/Form.h"
#include "toolkit/ListView.h"

namespace {

// A list that computes its captions and images when the control asks, as a shell list does, and counts how
// often it is asked.
struct RowTag : TObject {
  explicit RowTag(intptr_t number) : Number(number) {}
  intptr_t Number;
};

intptr_t RowNumber(const TListItem *item) { return static_cast<const RowTag *>(item->Data())->Number; }

class OnDemandList : public TCustomListView {
public:
  using TCustomListView::TCustomListView;
  int TextsAsked = 0;
  bool CacheCaptions = false;
  std::vector<std::string> Deleted;

protected:
  // A caption is made once, when the row is first shown, and kept.
  std::string GetDisplayText(TListItem *item, int column) override {
    ++TextsAsked;
    if (column == 0 && item->Caption().empty() && CacheCaptions)
      item->SetCaption("row " + std::to_string(RowNumber(item)));
    if (column == 0 && item->Caption().empty())
      return "row " + std::to_string(RowNumber(item));
    return TCustomListView::GetDisplayText(item, column);
  }
  int GetDisplayImage(TListItem *item) override {
    return item->ImageIndex() < 0 ? static_cast<int>(RowNumber(item) % 7) : item->ImageIndex();
  }
  void InsertItem(TListItem *item) override {
    item->SubItems().Add();
    item->SubItems().Add();
    TCustomListView::InsertItem(item);
  }
  void Delete(TListItem *item) override {
    Deleted.push_back(GetDisplayText(item, 0));
    TCustomListView::Delete(item);
  }
};

class ListView : public ::testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 400);
    list = new OnDemandList(form.get());
    list->SetParent(form.get());
    list->SetAlign(alClient);
    list->SetViewStyle(vsReport);
    list->SetMultiSelect(true);
    list->SetHideSelection(false);
    for (const char *caption : {"Name", "Size"})
      list->Columns().Add()->SetCaption(caption);
  }

  void AddRows(int count) {
    list->Items().BeginUpdate();
    for (int i = 0; i < count; ++i) {
      intptr_t number = list->Items().Count();
      list->Items().Add(std::make_unique<RowTag>(number));
    }
    list->Items().EndUpdate();
  }

  HWND Wnd() { return list->Handle(); }

  std::wstring ControlText(int index, int column = 0) {
    wchar_t buffer[128] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageW(Wnd(), LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return buffer;
  }

  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int i = -1; (i = static_cast<int>(SendMessageW(Wnd(), LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
      rows.push_back(i);
    return rows;
  }

  int FocusedRow() { return static_cast<int>(SendMessageW(Wnd(), LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); }

  std::unique_ptr<TForm> form;
  OnDemandList *list = nullptr;
};

TEST_F(ListView, TheControlShowsTheRowsTextsAndImagesAskedForOnDemand) {
  form->HandleNeeded();
  AddRows(3);
  TListItem *second = list->Items()[1];
  second->SetCaption("\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"); // "été 日本"
  second->SubItems().Put(1, "12 KB");
  second->SetImageIndex(4);

  EXPECT_EQ(3, SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"row 0", ControlText(0));
  EXPECT_EQ(L"\u00E9t\u00E9 \u65E5\u672C", ControlText(1));
  EXPECT_EQ(L"", ControlText(1, 1)) << "a placeholder sub-item shows nothing";
  EXPECT_EQ(L"12 KB", ControlText(1, 2));
  EXPECT_EQ(2, list->Items()[0]->SubItems().Count());

  LVITEMW image = {};
  image.mask = LVIF_IMAGE;
  image.iItem = 2;
  SendMessageW(Wnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
  EXPECT_EQ(2, image.iImage);
  image.iItem = 1;
  SendMessageW(Wnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
  EXPECT_EQ(4, image.iImage);

  // A long text is cut to the control's buffer, never past it.
  second->SetCaption(std::string(300, 'x'));
  EXPECT_EQ(std::wstring(127, L'x'), ControlText(1));
}

TEST_F(ListView, ImageListsReachTheControlUntilTheyGo) {
  auto *small = new TImageList(form.get());
  list->SetSmallImages(small);
  auto *other = new OnDemandList(form.get());
  other->SetParent(form.get());
  other->SetLargeImages(small); // one list shown by two controls
  auto shown = [&] { return reinterpret_cast<HIMAGELIST>(SendMessageW(Wnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)); };
  EXPECT_EQ(small->Handle(), shown());
  HIMAGELIST next = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  small->SetHandle(next);
  EXPECT_EQ(next, shown()) << "a new list behind the object";
  EXPECT_EQ(next, ListView_GetImageList(other->Handle(), LVSIL_NORMAL));
  delete small;
  EXPECT_EQ(nullptr, list->SmallImages());
  EXPECT_EQ(nullptr, shown());
}

TEST_F(ListView, AManyRowListAsksOnlyForTheRowsItDraws) {
  form->Show();
  AddRows(20000);
  list->CacheCaptions = true;
  list->TextsAsked = 0;
  UpdateWindow(Wnd());
  int firstScreen = list->TextsAsked;
  EXPECT_GT(firstScreen, 0) << "the visible rows are drawn";
  EXPECT_LT(firstScreen, 400);
  EXPECT_FALSE(GetUpdateRect(Wnd(), nullptr, FALSE)) << "a caption kept while drawn asks for no second drawing";
  list->Items()[19999]->MakeVisible(false);
  UpdateWindow(Wnd());
  EXPECT_LT(list->TextsAsked, 2 * firstScreen + 200) << "scrolling to the end draws only the last screen";
  EXPECT_EQ(L"row 19999", ControlText(19999));
}

TEST_F(ListView, DeletingRowsKeepsSelectionAndFocusOnTheirRows) {
  // Chosen before the window exists, shown once it does.
  AddRows(10);
  for (int i : {2, 5, 8})
    list->Items()[i]->SetSelected(true);
  list->Items()[5]->SetFocused(true);
  EXPECT_TRUE(list->Items()[2]->Selected());
  form->HandleNeeded();
  EXPECT_EQ((std::vector<int>{2, 5, 8}), SelectedRows());
  EXPECT_EQ(5, FocusedRow());
  TListItem *five = list->Items()[5];
  TListItem *eight = list->Items()[8];

  list->Items().Delete(3);
  list->Items()[0]->Delete();
  EXPECT_EQ((std::vector<std::string>{"row 3", "row 0"}), list->Deleted);
  EXPECT_EQ(8, list->Items().Count());
  EXPECT_EQ(8, SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ((std::vector<int>{1, 3, 6}), SelectedRows());
  EXPECT_EQ(3, five->Index());
  EXPECT_EQ(five, list->ItemFocused());
  EXPECT_EQ(3, FocusedRow());
  EXPECT_TRUE(eight->Selected());
  EXPECT_EQ(L"row 8", ControlText(6));

  // Appending keeps them too, and so does a new window.
  AddRows(5);
  EXPECT_EQ((std::vector<int>{1, 3, 6}), SelectedRows());
  list->RecreateWnd();
  EXPECT_EQ((std::vector<int>{1, 3, 6}), SelectedRows());
  EXPECT_EQ(3, FocusedRow());
  EXPECT_EQ(13, SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(3, list->SelCount());

  list->Items().Clear();
  EXPECT_EQ(0, SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(15u, list->Deleted.size()) << "every row passes the deletion hook";
  EXPECT_EQ(0, list->SelCount());
  EXPECT_EQ(nullptr, list->Selected());
}

TEST_F(ListView, SortingMovesSelectionAndFocusWithTheirRows) {
  form->HandleNeeded();
  AddRows(6);
  const char *names[] = {"delta", "Alpha", "echo", "charlie", "Bravo", "foxtrot"};
  for (int i = 0; i < 6; ++i)
    list->Items()[i]->SetCaption(names[i]);
  list->Items()[0]->SetSelected(true); // delta
  list->Items()[4]->SetSelected(true); // Bravo
  list->Items()[2]->SetFocused(true);  // echo

  list->AlphaSort();
  std::vector<std::wstring> shown;
  for (int i = 0; i < 6; ++i)
    shown.push_back(ControlText(i));
  EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"Bravo", L"charlie", L"delta", L"echo", L"foxtrot"}), shown);
  EXPECT_EQ((std::vector<int>{1, 3}), SelectedRows());
  EXPECT_EQ(4, FocusedRow());
  EXPECT_EQ("Bravo", list->Selected()->Caption());

  list->CustomSort([](TListItem *a, TListItem *b) { return a->Index() > b->Index() ? -1 : 1; });
  EXPECT_EQ(L"foxtrot", ControlText(0));
  EXPECT_EQ((std::vector<int>{2, 4}), SelectedRows());
  EXPECT_EQ(1, FocusedRow());

  int compared = 0;
  list->OnCompare = [&](TObject *, TListItem *a, TListItem *b, int &result) {
    ++compared;
    result = static_cast<int>(a->Caption().size()) - static_cast<int>(b->Caption().size());
  };
  list->AlphaSort();
  EXPECT_GT(compared, 0);
  EXPECT_EQ(L"echo", ControlText(0)) << "shortest first";
  EXPECT_EQ(L"foxtrot", ControlText(4)) << "equal lengths keep their order";
  EXPECT_EQ(L"charlie", ControlText(5));
}

TEST_F(ListView, ASortIsStableWhateverRunsTheRowsComeInAndRowsInOrderCostOneComparisonEach) {
  // Keys with ascending and descending runs and many equal keys; the row's first index tells equal ones apart.
  std::vector<int> keys;
  for (int i = 0; i < 40; ++i)
    keys.push_back(i);
  for (int i = 30; i > 0; --i)
    keys.push_back(i % 7);
  for (int i = 0; i < 60; ++i)
    keys.push_back((i * 37) % 11);
  AddRows(static_cast<int>(keys.size()));
  std::vector<std::pair<int, TListItem *>> expected;
  for (int i = 0; i < list->Items().Count(); ++i)
    expected.push_back({keys[static_cast<size_t>(i)], list->Items()[i]});
  std::stable_sort(expected.begin(), expected.end(), [](auto &a, auto &b) { return a.first < b.first; });
  std::map<TListItem *, int> keyOf;
  for (auto &[key, item] : expected)
    keyOf[item] = key;
  int compared = 0;
  auto byKey = [&](TListItem *a, TListItem *b) {
    ++compared;
    return keyOf[a] - keyOf[b];
  };
  list->CustomSort(byKey);
  for (int i = 0; i < list->Items().Count(); ++i)
    ASSERT_EQ(expected[static_cast<size_t>(i)].second, list->Items()[i]) << i;

  compared = 0;
  list->CustomSort(byKey);
  EXPECT_EQ(list->Items().Count() - 1, compared) << "rows in order";
  std::vector<TListItem *> ascending;
  for (int i = 0; i < list->Items().Count(); ++i)
    ascending.push_back(list->Items()[i]);
  compared = 0;
  list->CustomSort([&](TListItem *a, TListItem *b) { return -byKey(a, b); });
  EXPECT_EQ(ascending.back(), list->Items()[0]);
  compared = 0;
  list->CustomSort(byKey);
  EXPECT_EQ(ascending, [&] {
    std::vector<TListItem *> rows;
    for (int i = 0; i < list->Items().Count(); ++i)
      rows.push_back(list->Items()[i]);
    return rows;
  }()) << "back to the same order: equal keys kept theirs both ways";
}

TEST_F(ListView, CutDropTargetAndOverlayAreStatesOfTheControl) {
  form->HandleNeeded();
  AddRows(3);
  list->Items()[0]->SetCut(true);
  list->Items()[1]->SetDropTarget(true);
  list->Items()[2]->SetOverlayIndex(1);
  list->Items()[2]->SetSelected(true);
  UINT all = LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK | LVIS_SELECTED;
  EXPECT_EQ(LVIS_CUT, SendMessageW(Wnd(), LVM_GETITEMSTATE, 0, all));
  EXPECT_EQ(LVIS_DROPHILITED, SendMessageW(Wnd(), LVM_GETITEMSTATE, 1, all));
  EXPECT_EQ(INDEXTOOVERLAYMASK(2) | LVIS_SELECTED, SendMessageW(Wnd(), LVM_GETITEMSTATE, 2, all));
  EXPECT_EQ(list->Items()[1], list->GetNextItem(nullptr, sdAll, isDropHilited));

  list->Items()[0]->SetCut(false);
  list->Items()[1]->SetDropTarget(false);
  EXPECT_EQ(0, SendMessageW(Wnd(), LVM_GETITEMSTATE, 0, all));
  EXPECT_EQ(0, SendMessageW(Wnd(), LVM_GETITEMSTATE, 1, all));
}

TEST_F(ListView, ALabelEditEndsInOnEditedWithTheTypedTextOrIsCancelledByEscape) {
  form->Show();
  AddRows(2);
  std::vector<std::string> edited;
  list->OnEdited = [&](TObject *, TListItem *, std::string &text) {
    edited.push_back(text);
    text += "!";
  };
  TListItem *row = list->Items()[1];
  ASSERT_TRUE(row->EditCaption());
  ASSERT_TRUE(list->IsEditing());
  SetWindowTextW(list->EditHandle(), L"\u041F\u0440\u0438\u0432\u0435\u0442 \u65E5\u672C");
  SendMessageW(list->EditHandle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(list->IsEditing());
  ASSERT_EQ(1u, edited.size());
  EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC", edited[0]); // "Привет 日本"
  EXPECT_EQ(L"\u041F\u0440\u0438\u0432\u0435\u0442 \u65E5\u672C!", ControlText(1));

  ASSERT_TRUE(row->EditCaption());
  SetWindowTextW(list->EditHandle(), L"never");
  SendMessageW(list->EditHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(1u, edited.size());
  EXPECT_EQ(L"\u041F\u0440\u0438\u0432\u0435\u0442 \u65E5\u672C!", ControlText(1));

  bool asked = false;
  list->OnEditing = [&](TObject *, TListItem *, bool &allow) {
    asked = true;
    allow = false;
  };
  EXPECT_FALSE(row->EditCaption());
  EXPECT_TRUE(asked);
  list->OnEditing = nullptr;
  list->SetReadOnly(true);
  EXPECT_FALSE(row->EditCaption());
  EXPECT_FALSE(list->IsEditing());
}

TEST_F(ListView, ColumnsCarryTheirDescriptionIntoTheControlAndReportClicks) {
  list->Columns()[1]->SetAlignment(taRightJustify);
  list->Columns()[1]->SetWidth(77);
  form->Show();
  LVCOLUMNW column = {};
  wchar_t caption[32] = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.pszText = caption;
  column.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(Wnd(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_EQ(std::wstring(L"Size"), caption);
  EXPECT_EQ(77, column.cx);
  EXPECT_EQ(LVCFMT_RIGHT, column.fmt & LVCFMT_JUSTIFYMASK);

  // A width the user drags is what the column reports.
  SendMessageW(Wnd(), LVM_SETCOLUMNWIDTH, 0, 140);
  EXPECT_EQ(140, list->Columns()[0]->Width());

  std::vector<int> clicked;
  list->OnColumnClick = [&](TObject *, TListColumn *c) { clicked.push_back(c->Index()); };
  HWND header = list->HeaderHandle();
  ASSERT_NE(nullptr, header);
  RECT second;
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  LPARAM at = MAKELPARAM(second.left + 10, (second.top + second.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
  EXPECT_EQ((std::vector<int>{1}), clicked);

  list->Columns().Clear();
  EXPECT_EQ(0, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  list->SetViewStyle(vsList);
  EXPECT_EQ(LV_VIEW_LIST, SendMessageW(Wnd(), LVM_GETVIEW, 0, 0));
}

TEST_F(ListView, TypingSearchesTheShownCaptions) {
  form->HandleNeeded();
  AddRows(4);
  list->Items()[2]->SetCaption("Zebra");
  LVFINDINFOW find = {};
  find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
  find.psz = L"zeb";
  EXPECT_EQ(2, SendMessageW(Wnd(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  find.psz = L"row 3";
  EXPECT_EQ(3, SendMessageW(Wnd(), LVM_FINDITEMW, 1, reinterpret_cast<LPARAM>(&find)));
  find.psz = L"row 1";
  EXPECT_EQ(1, SendMessageW(Wnd(), LVM_FINDITEMW, 2, reinterpret_cast<LPARAM>(&find))) << "wraps to the start";
  find.psz = L"nothing";
  EXPECT_EQ(-1, SendMessageW(Wnd(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

} // namespace
