#include "toolkit/ListColumn.h"

#include <commctrl.h>

#include "toolkit/ListView.h"
#include "toolkit/SysUtils.h"

namespace {

int FormatOf(TAlignment alignment) {
  switch (alignment) {
  case taRightJustify:
    return LVCFMT_RIGHT;
  case taCenter:
    return LVCFMT_CENTER;
  default:
    return LVCFMT_LEFT;
  }
}

void FillColumn(LVCOLUMNW &column, const std::wstring &caption, int width, TAlignment alignment) {
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = FormatOf(alignment);
  column.cx = width;
  column.pszText = const_cast<LPWSTR>(caption.c_str());
}

} // namespace

int TListColumn::Index() const {
  const auto &columns = FOwner->FColumns;
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].get() == this)
      return static_cast<int>(i);
  return -1;
}

void TListColumn::SetCaption(const std::string &value) {
  FCaption = value;
  Apply();
}

int TListColumn::Width() const {
  if (HWND wnd = FOwner->Owner()->WindowHandle())
    FWidth = static_cast<int>(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, Index(), 0));
  return FWidth;
}

void TListColumn::SetWidth(int value) {
  FWidth = value;
  if (HWND wnd = FOwner->Owner()->WindowHandle())
    SendMessageW(wnd, LVM_SETCOLUMNWIDTH, Index(), MAKELPARAM(value, 0));
}

void TListColumn::SetAlignment(TAlignment value) {
  FAlignment = value;
  Apply();
}

void TListColumn::Apply() const {
  HWND wnd = FOwner->Owner()->WindowHandle();
  if (!wnd)
    return;
  std::wstring caption = Utf8ToWide(FCaption);
  LVCOLUMNW column = {};
  FillColumn(column, caption, Width(), FAlignment);
  SendMessageW(wnd, LVM_SETCOLUMNW, Index(), reinterpret_cast<LPARAM>(&column));
}

TListColumns::~TListColumns() = default;

TListColumn *TListColumns::Item(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(FormatStr("List index out of bounds (%d)", index));
  return FColumns[static_cast<size_t>(index)].get();
}

TListColumn *TListColumns::Add() {
  FColumns.push_back(std::unique_ptr<TListColumn>(new TListColumn(this)));
  TListColumn *column = FColumns.back().get();
  column->FWidth = FOwner->ScaleValue(column->FWidth);
  if (HWND wnd = FOwner->WindowHandle()) {
    LVCOLUMNW lvc = {};
    std::wstring caption;
    FillColumn(lvc, caption, column->FWidth, column->FAlignment);
    SendMessageW(wnd, LVM_INSERTCOLUMNW, Count() - 1, reinterpret_cast<LPARAM>(&lvc));
  }
  return column;
}

void TListColumns::Delete(int index) {
  Item(index);
  if (HWND wnd = FOwner->WindowHandle())
    SendMessageW(wnd, LVM_DELETECOLUMN, index, 0);
  FColumns.erase(FColumns.begin() + index);
}

void TListColumns::Clear() {
  BeginUpdate();
  while (!FColumns.empty())
    Delete(Count() - 1);
  EndUpdate();
}

void TListColumns::BeginUpdate() { FOwner->BeginUpdate(); }

void TListColumns::EndUpdate() { FOwner->EndUpdate(); }

void TListColumns::CreateInWindow(HWND wnd) const {
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const TListColumn &column = *FColumns[i];
    std::wstring caption = Utf8ToWide(column.FCaption);
    LVCOLUMNW lvc = {};
    FillColumn(lvc, caption, column.FWidth, column.FAlignment);
    SendMessageW(wnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&lvc));
  }
}

void TListColumns::SaveWidths(HWND wnd) const {
  for (size_t i = 0; i < FColumns.size(); ++i)
    FColumns[i]->FWidth = static_cast<int>(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, i, 0));
}
