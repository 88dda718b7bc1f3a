#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "common/GuardedBuffer.h"
#include "fakes/FakeDataObject.h"
#include "fakes/FakeDropTarget.h"
#include "shellctrls/UKdShellControls.h"

namespace {

using zortest::ShellListForm;
using zortest::TempDir;

std::vector<BYTE> BlockOf(IDataObject *data, CLIPFORMAT format, HRESULT *result = nullptr) {
  FORMATETC request = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  const HRESULT hr = data->GetData(&request, &medium);
  if (result)
    *result = hr;
  if (hr != S_OK)
    return {};
  const SIZE_T size = GlobalSize(medium.hGlobal);
  std::vector<BYTE> bytes(size);
  std::memcpy(bytes.data(), GlobalLock(medium.hGlobal), size);
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return bytes;
}

uint32_t U32(const std::vector<BYTE> &bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::vector<BYTE> IdListBytes(LPCITEMIDLIST list) {
  const BYTE *p = reinterpret_cast<const BYTE *>(list);
  return std::vector<BYTE>(p, p + IdListSize(list));
}

class DataObject : public ::testing::Test {
protected:
  void ShowFolder(const std::string &path) {
    form.List->SetMultiSelect(true);
    form.List->Folder().SetPath(path);
    ASSERT_GT(form.List->Items().Count(), 0);
  }
  void Select(const std::vector<std::string> &names) {
    form.List->ClearSelection();
    for (const std::string &name : names) {
      const int row = form.RowOf(name);
      ASSERT_GE(row, 0) << name;
      form.List->Items().Item(row)->SetSelected(true);
    }
  }
  ComPtr<IDataObject> Make() { return form.List->SelectionDataObject(); }

  TempDir temp;
  ShellListForm form;
};

TEST_F(DataObject, RowsAreCarriedAsAnIdListArrayAndAPathListByteForByte) {
  for (const char *name : {"a.txt", "b.txt", "c.txt"})
    zortest::WriteFileText(temp / name, "x");
  ShowFolder(temp.Path());
  const std::vector<BYTE> parent = IdListBytes(form.List->CurrentIdList());

  // One row: the parent right after the single offset pair, the item right after it, nothing more.
  Select({"a.txt"});
  ComPtr<IDataObject> one = Make();
  std::vector<BYTE> cida = BlockOf(one.Get(), static_cast<CLIPFORMAT>(CF_IDLIST));
  ASSERT_GE(cida.size(), 12u);
  EXPECT_EQ(U32(cida, 0), 1u);
  EXPECT_EQ(U32(cida, 4), 12u);
  ASSERT_GE(cida.size(), 12 + parent.size());
  EXPECT_EQ(std::vector<BYTE>(cida.begin() + 12, cida.begin() + 12 + parent.size()), parent);
  EXPECT_EQ(U32(cida, 8), 12 + parent.size());
  const std::vector<BYTE> item = IdListBytes(TKdCustomShellList::ShellData(form.List->Selected())->RelIdList());
  EXPECT_EQ(std::vector<BYTE>(cida.begin() + U32(cida, 8), cida.end()), item) << "the item ends the block";

  std::vector<BYTE> hdrop = BlockOf(one.Get(), CF_HDROP);
  ASSERT_EQ(hdrop.size(), 281u) << "260 bytes a path and the header with the final terminator";
  EXPECT_EQ(U32(hdrop, 0), 20u);
  EXPECT_EQ(U32(hdrop, 16), 1u) << "wide paths";
  const std::wstring path = Utf8ToWide(temp / "a.txt");
  std::wstring written(reinterpret_cast<const wchar_t *>(hdrop.data() + 20), path.size() + 2);
  EXPECT_EQ(written, path + std::wstring(2, L'\0'));

  // Three rows: three offsets after the parent's, lists packed without gaps, paths in row order.
  Select({"c.txt", "a.txt", "b.txt"});
  ComPtr<IDataObject> three = Make();
  cida = BlockOf(three.Get(), static_cast<CLIPFORMAT>(CF_IDLIST));
  ASSERT_GE(cida.size(), 20u);
  ASSERT_EQ(U32(cida, 0), 3u);
  EXPECT_EQ(U32(cida, 4), 20u);
  size_t expected = 20 + parent.size();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(U32(cida, 8 + 4 * i), expected) << "item " << i;
    LPCITEMIDLIST list = reinterpret_cast<LPCITEMIDLIST>(cida.data() + U32(cida, 8 + 4 * i));
    EXPECT_EQ(IdListSize(list),
              IdListBytes(TKdCustomShellList::ShellData(form.List->Items().Item(i))->RelIdList()).size());
    expected += IdListSize(list);
  }
  EXPECT_EQ(cida.size(), expected);
  hdrop = BlockOf(three.Get(), CF_HDROP);
  EXPECT_EQ(hdrop.size(), 801u);
  EXPECT_EQ(zortest::DroppedPaths(three.Get()),
            (std::vector<std::string>{temp / "a.txt", temp / "b.txt", temp / "c.txt"}));

  // Blocks handed out are copies: the object keeps serving after one is freed.
  EXPECT_EQ(BlockOf(three.Get(), CF_HDROP), hdrop);
}

TEST_F(DataObject, ItemsOfTheDesktopCarryTheEmptyParent) {
  form.List->Folder().Clear();
  form.List->FillList();
  ASSERT_GT(form.List->Items().Count(), 0);
  form.List->Items().Item(0)->SetSelected(true);
  std::vector<BYTE> cida = BlockOf(Make().Get(), static_cast<CLIPFORMAT>(CF_IDLIST));
  ASSERT_GE(cida.size(), 14u);
  EXPECT_EQ(U32(cida, 4), 12u);
  EXPECT_EQ(cida[12], 0);
  EXPECT_EQ(cida[13], 0);
  EXPECT_EQ(U32(cida, 8), 14u);
}

TEST_F(DataObject, OffersItsTwoFormatsInOrderAndAnswersQueriesForThem) {
  zortest::WriteFileText(temp / "a.txt", "x");
  ShowFolder(temp.Path());
  Select({"a.txt"});
  ComPtr<IDataObject> data = Make();

  ComPtr<IEnumFORMATETC> formats;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Put()), S_OK);
  FORMATETC got[5] = {};
  ULONG fetched = 99;
  EXPECT_EQ(formats->Next(5, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(got[0].cfFormat, CF_IDLIST);
  EXPECT_EQ(got[1].cfFormat, CF_HDROP);
  for (const FORMATETC &f : {got[0], got[1]}) {
    EXPECT_EQ(f.ptd, nullptr);
    EXPECT_EQ(f.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(f.lindex, -1);
    EXPECT_EQ(f.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  }
  formats->Reset();
  EXPECT_EQ(formats->Skip(1), S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(formats->Clone(clone.Put()), S_OK);
  EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_HDROP) << "a clone goes on where its original was";
  formats->Reset();
  EXPECT_EQ(formats->Skip(3), S_FALSE);
  EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  // The enumerator may outlive every other reference to the object.
  data.Reset();
  formats->Reset();
  EXPECT_EQ(formats->Next(2, got, &fetched), S_OK);
  data = Make();

  ComPtr<IEnumFORMATETC> none;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, none.Put()), E_NOTIMPL);
  EXPECT_FALSE(none);
  FORMATETC query = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&query), S_OK);
  query.tymed = TYMED_ISTREAM;
  EXPECT_EQ(data->QueryGetData(&query), DV_E_TYMED);
  query.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
  EXPECT_EQ(data->QueryGetData(&query), S_OK);
  query.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
  query = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
  STGMEDIUM medium = {};
  EXPECT_EQ(data->SetData(&query, &medium, FALSE), E_NOTIMPL);

  // Without a selected row there is nothing to offer.
  form.List->ClearSelection();
  ComPtr<IDataObject> empty = Make();
  ASSERT_EQ(empty->EnumFormatEtc(DATADIR_GET, formats.Put()), S_OK);
  EXPECT_EQ(formats->Next(5, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  HRESULT hr = S_OK;
  BlockOf(empty.Get(), CF_HDROP, &hr);
  EXPECT_EQ(hr, DV_E_FORMATETC);
}

TEST(DroppedFiles, APathLongerThanTheClassicRoomArrivesWhole) {
  const std::wstring longPath = L"C:\\" + std::wstring(396, L'd') + L".txt";
  ASSERT_EQ(longPath.size(), 403u);
  const std::wstring shortPath = L"C:\\a.txt";
  TGlobalBlock block = BuildHDrop({shortPath, longPath, shortPath});
  ASSERT_TRUE(block);
  std::vector<std::wstring> read;
  auto drop = static_cast<HDROP>(block.Get());
  for (UINT i = 0; i < DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
    DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
    read.push_back(path);
  }
  EXPECT_GE(GlobalSize(block.Get()), 20u + 2u * (2u * 9u + 404u + 1u));
  EXPECT_EQ(read, (std::vector<std::wstring>{shortPath, longPath, shortPath}));
}

// ---- Blocks dropped by other programs ----

std::vector<BYTE> ValidBlock(int items) {
  std::vector<TKdIdListPtr> owned;
  std::vector<LPCITEMIDLIST> lists;
  for (int i = 0; i < items; ++i) {
    owned.emplace_back(IdListCopy(zortest::ParsePath("C:\\windows").get()));
    lists.push_back(owned.back().get());
  }
  TGlobalBlock block = BuildShellIDListArray(zortest::ParsePath("C:\\").get(), lists);
  TGlobalLock locked(block.Get());
  return std::vector<BYTE>(locked.Data(), locked.Data() + locked.Size());
}

bool ParseGuarded(const std::vector<BYTE> &bytes, size_t size) {
  zortest::GuardedBuffer buffer(size, bytes.data());
  TKdShellIdListArrayView view;
  return ParseShellIdListArray(buffer.Data(), buffer.Size(), view);
}

void Put32(std::vector<BYTE> &bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

TEST(DroppedIdListArray, MalformedBlocksAreRefusedWithoutAReadOutsideThem) {
  const std::vector<BYTE> good = ValidBlock(2);
  {
    zortest::GuardedBuffer buffer(good.size(), good.data());
    TKdShellIdListArrayView view;
    ASSERT_TRUE(ParseShellIdListArray(buffer.Data(), buffer.Size(), view));
    ASSERT_EQ(view.Items.size(), 2u);
    EXPECT_EQ(reinterpret_cast<const BYTE *>(view.Parent), buffer.Data() + 16);
    EXPECT_EQ(IdListSize(view.Items[1]), IdListSize(zortest::ParsePath("C:\\windows").get()));
  }
  // Cut anywhere, down to nothing: the last list loses its terminator, then the offsets, then the count.
  for (size_t size = good.size() - 1; size + 1 > 0; --size)
    EXPECT_FALSE(ParseGuarded(good, size)) << "cut to " << size << " bytes";

  std::vector<BYTE> bad = good;
  Put32(bad, 0, 3);
  EXPECT_FALSE(ParseGuarded(bad, bad.size())) << "one item more than there are offsets for";
  Put32(bad, 0, 0x7FFFFFFF);
  EXPECT_FALSE(ParseGuarded(bad, bad.size()));
  Put32(bad, 0, 0xFFFFFFFF);
  EXPECT_FALSE(ParseGuarded(bad, bad.size()));
  for (uint32_t offset : {static_cast<uint32_t>(good.size()), static_cast<uint32_t>(good.size() - 1), 0xFFFFFFFEu}) {
    bad = good;
    Put32(bad, 12, offset);
    EXPECT_FALSE(ParseGuarded(bad, bad.size())) << "offset " << offset;
  }
  bad = good;
  bad[U32(good, 12)] = 1; // an item that claims one byte would never move on
  bad[U32(good, 12) + 1] = 0;
  EXPECT_FALSE(ParseGuarded(bad, bad.size()));
  bad = good;
  bad[U32(good, 12)] = 0xFF; // an item running past the end
  bad[U32(good, 12) + 1] = 0x7F;
  EXPECT_FALSE(ParseGuarded(bad, bad.size()));

  // No items is a well-formed, if empty, drop.
  std::vector<BYTE> empty(10, 0);
  Put32(empty, 4, 8);
  EXPECT_TRUE(ParseGuarded(empty, empty.size()));
}

TEST(DroppedIdListArray, AMalformedDropKeepsEveryEffect) {
  std::vector<BYTE> bad = ValidBlock(1);
  Put32(bad, 8, 0x7FFFFFFF);
  auto data = zortest::FakeDataObject::Create(static_cast<CLIPFORMAT>(CF_IDLIST), bad);
  EXPECT_EQ(GetSourceItemEffects(data.Get()), static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
  auto zero = zortest::FakeDataObject::Create(static_cast<CLIPFORMAT>(CF_IDLIST), {});
  EXPECT_EQ(GetSourceItemEffects(zero.Get()), static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
}

} // namespace
