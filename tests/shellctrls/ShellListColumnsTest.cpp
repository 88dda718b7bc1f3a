#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeShellFolder.h"
#include "shellns/UKdShell95.h"

using namespace zortest;

namespace {

const wchar_t ExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Sets the explorer's "DirectoryCols" for a test and puts back what was there.
class DirectoryCols {
public:
  DirectoryCols() {
    RegCreateKeyExW(HKEY_CURRENT_USER, ExplorerKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &FKey, nullptr);
    DWORD size = 0;
    FHad = RegQueryValueExW(FKey, L"DirectoryCols", nullptr, &FType, nullptr, &size) == ERROR_SUCCESS;
    FSaved.resize(size);
    if (FHad && size)
      RegQueryValueExW(FKey, L"DirectoryCols", nullptr, &FType, FSaved.data(), &size);
  }
  ~DirectoryCols() {
    if (FHad)
      RegSetValueExW(FKey, L"DirectoryCols", 0, FType, FSaved.data(), static_cast<DWORD>(FSaved.size()));
    else
      RegDeleteValueW(FKey, L"DirectoryCols");
    RegCloseKey(FKey);
  }
  void Set(const std::vector<uint16_t> &words) {
    RegSetValueExW(FKey, L"DirectoryCols", 0, REG_BINARY, reinterpret_cast<const BYTE *>(words.data()),
                   static_cast<DWORD>(words.size() * 2));
  }

private:
  HKEY FKey = nullptr;
  bool FHad = false;
  DWORD FType = REG_BINARY;
  std::vector<BYTE> FSaved;
};

TKdIdListPtr MyComputer() {
  TKdIdListPtr list;
  GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, list);
  return list;
}

// A folder outside the file system with three items and no column details of its own.
ComPtr<FakeShellFolder> PlainFolder() {
  auto fake = FakeShellFolder::Create();
  for (const char *name : {"b", "a", "c"})
    fake->Items.push_back({name, SFGAO_FILESYSTEM});
  return fake;
}

std::vector<std::string> Captions(TCustomListView &list) {
  std::vector<std::string> captions;
  for (int i = 0; i < list.Columns().Count(); ++i)
    captions.push_back(list.Columns()[i]->Caption());
  return captions;
}

std::vector<int> Widths(TCustomListView &list) {
  std::vector<int> widths;
  for (int i = 0; i < list.Columns().Count(); ++i)
    widths.push_back(list.Columns()[i]->Width());
  return widths;
}

class ShellListColumns : public ::testing::Test {
protected:
  ShellListColumns() : view(2), computer(MyComputer()) {
    for (TestShellList *list : view.Lists)
      list->SetOptions(list->Options().Exclude(kdsloAutoFill));
  }
  void Show(TestShellList *list, IShellFolder *folder) { list->ShowFolder(folder, computer.get()); }

  ShellListForm view;
  TKdIdListPtr computer;
};

} // namespace

TEST_F(ShellListColumns, TheListsOwnColumnsTakeTheExplorerWidthsWhenTheyChangeAndOtherwiseTheWidthsLastUsed) {
  DirectoryCols registry;
  auto folder = PlainFolder();
  TestShellList *first = view.Lists[0], *second = view.Lists[1];

  registry.Set({111, 22, 133, 144, 7});
  Show(first, folder.Get());
  EXPECT_EQ(2, first->ColumnSet());
  EXPECT_EQ((std::vector<std::string>{"Name", "Size", "Type", "Modified"}), Captions(*first));
  EXPECT_EQ((std::vector<int>{111, 22, 133, 144}), Widths(*first));
  EXPECT_EQ(taRightJustify, first->Columns()[1]->Alignment());

  // The user's width carries over to the next folder and to another list.
  first->Columns()[0]->SetWidth(300);
  Show(first, folder.Get());
  EXPECT_EQ(300, first->Columns()[0]->Width());
  Show(second, folder.Get());
  EXPECT_EQ(300, second->Columns()[0]->Width());

  // A new explorer value wins once.
  registry.Set({150, 50, 90, 100});
  Show(second, folder.Get());
  EXPECT_EQ((std::vector<int>{150, 50, 90, 100}), Widths(*second));

  // A value too long for the explorer's record gives the default widths.
  registry.Set(std::vector<uint16_t>(20, 999));
  Show(first, folder.Get());
  EXPECT_EQ((std::vector<int>{200, 60, 100, 120}), Widths(*first));
}

TEST_F(ShellListColumns, TheFoldersColumnsEndAtTheFirstOneNotShownByDefaultAndTakeTheirTextsFromTheFolder) {
  auto folder = PlainFolder();
  folder->Columns = {{"Title", true, LVCFMT_LEFT},
                     {"Bytes", true, LVCFMT_RIGHT},
                     {"Hidden", false, LVCFMT_LEFT},
                     {"Later", true, LVCFMT_LEFT}};
  folder->ColumnText = [](const std::string &name, int column) { return name + "#" + std::to_string(column); };
  Show(view.List, folder.Get());

  EXPECT_EQ(1, view.List->ColumnSet());
  EXPECT_EQ((std::vector<std::string>{"Title", "Bytes"}), Captions(*view.List));
  const double scale = GetSystemMetrics(SM_CXSCREEN) / 1280.0;
  EXPECT_EQ((std::vector<int>{static_cast<int>(scale * 360), static_cast<int>(scale * 110)}), Widths(*view.List));
  EXPECT_EQ(taRightJustify, view.List->Columns()[1]->Alignment());
  EXPECT_EQ("a#1", view.Text(0, 1));
}

TEST_F(ShellListColumns, ClickingAColumnSortsByItThenTheOtherWayUnlessTheHandlerChoseASort) {
  auto folder = PlainFolder();
  Show(view.List, folder.Get());
  ASSERT_EQ(1, view.List->SortNumber());

  view.ClickColumn(2);
  EXPECT_EQ(3, view.List->SortNumber());
  view.ClickColumn(2);
  EXPECT_EQ(-3, view.List->SortNumber());
  view.ClickColumn(2);
  EXPECT_EQ(3, view.List->SortNumber());
  view.ClickColumn(0);
  EXPECT_EQ(1, view.List->SortNumber());

  view.List->OnColumnClick = [&](TObject *, TListColumn *) { view.List->SetSortNumber(2); };
  view.ClickColumn(0);
  EXPECT_EQ(2, view.List->SortNumber());
  view.List->OnColumnClick = nullptr;

  // A folder with fewer columns: a sort by a column it lacks falls back to the first; a descending sort by
  // a column it has stays.
  auto narrow = PlainFolder();
  narrow->Columns = {{"One"}, {"Two"}};
  view.List->SetSortNumber(4);
  Show(view.List, narrow.Get());
  EXPECT_EQ(1, view.List->SortNumber());
  view.List->SetSortNumber(-2);
  Show(view.List, narrow.Get());
  EXPECT_EQ(-2, view.List->SortNumber());
}

TEST_F(ShellListColumns, RowsFollowTheFoldersOrderForTheSortColumnInEitherDirection) {
  auto folder = PlainFolder();
  const std::map<std::string, int> sizes = {{"a", 3}, {"b", 1}, {"c", 2}};
  folder->CompareColumn = [&](int column, const std::string &a, const std::string &b) {
    return column == 1 ? sizes.at(a) - sizes.at(b) : a.compare(b);
  };
  Show(view.List, folder.Get());
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), view.Names());
  view.List->SetSortNumber(2);
  EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), view.Names());
  view.List->SetSortNumber(-2);
  EXPECT_EQ((std::vector<std::string>{"a", "c", "b"}), view.Names());
  view.List->SetSortNumber(-1);
  EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), view.Names());
}
