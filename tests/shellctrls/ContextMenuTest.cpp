// Context menus: real shell menus of files and folders (only harmless verbs are run), and a fake menu for
// offsets, the invocation record and results the real shell cannot be made to give.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/ResourceCounters.h"
#include "common/TestSupport.h"
#include "fakes/FakeContextMenu.h"
#include "shellctrls/UKdShellControls.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellns/IdList.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

// The real shell menu of one item, built the way the controls build it.
struct ShellMenu {
  explicit ShellMenu(LPCITEMIDLIST list, UINT flags = CMF_EXPLORE) {
    ComPtr<IShellFolder> folder;
    TKdIdListPtr parent, item;
    Result = SplitParentAndItem(list, folder, parent, item);
    if (FAILED(Result))
      return;
    LPCITEMIDLIST items[] = {item.get()};
    Result = GetItemContextMenu(nullptr, folder.Get(), 1, items, flags, kdFirstShellCommandId, Menu, Popup);
  }
  HRESULT Result;
  ComPtr<IContextMenu> Menu;
  TMenuHandle Popup;
};

bool MenuHasId(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1); }

std::string ClipboardDropPath() {
  ComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(data.Put())))
    return "(no clipboard)";
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium)))
    return "(no CF_HDROP)";
  char path[MAX_PATH + 1] = {};
  HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  UINT count = DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0);
  DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
  (void)drop;
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return count == 1 ? std::string(path) : FormatStr("(%u files)", count);
}

bool ClipboardOffers(UINT format) {
  ComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(data.Put())))
    return false;
  FORMATETC query = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data->QueryGetData(&query) == S_OK;
}

TEST(ContextMenu, RealFileAndFolderMenusCarryTheirVerbs) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  zortest::MakeDir(dir / "sub");
  for (const std::string name : {"a.txt", "sub"}) {
    TKdIdListPtr list = zortest::ParsePath(dir / name);
    ShellMenu menu(list.get());
    ASSERT_HRESULT_SUCCEEDED(menu.Result) << name;
    ASSERT_TRUE(menu.Menu);
    ASSERT_TRUE(menu.Popup.Get());
    for (const char *verb : {"copy", "open", "COPY"}) {
      const int offset = FindVerbOffset(menu.Menu.Get(), verb);
      ASSERT_NE(kdVerbNotFound, offset) << name << ": " << verb;
      EXPECT_TRUE(MenuHasId(menu.Popup.Get(), kdFirstShellCommandId + offset)) << name << ": " << verb;
    }
    EXPECT_NE(FindVerbOffset(menu.Menu.Get(), "copy"), FindVerbOffset(menu.Menu.Get(), "open"));
    EXPECT_EQ(kdVerbNotFound, FindVerbOffset(menu.Menu.Get(), "no-such-verb"));
  }
}

TEST(ContextMenu, InvokingCopyPutsTheFileOnTheClipboard) {
  zortest::TempDir dir;
  const std::string path = dir / "copied.txt";
  zortest::WriteFileText(path, "x");
  OleSetClipboard(nullptr);
  TKdIdListPtr list = zortest::ParsePath(path);
  ShellMenu menu(list.get());
  ASSERT_HRESULT_SUCCEEDED(menu.Result);

  EXPECT_EQ(S_OK, InvokeContextCommand(nullptr, menu.Menu.Get(), "copy"));
  EXPECT_TRUE(ClipboardOffers(CF_IDLIST));
  EXPECT_TRUE(ClipboardOffers(CF_HDROP));
  EXPECT_STREQ(path.c_str(), ClipboardDropPath().c_str());
  OleSetClipboard(nullptr);
}

// The commands of a built menu that IsRenameCommand takes for the rename command, with their shown texts.
std::vector<std::string> RenameCommandTexts(const ShellMenu &menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu.Popup.Get()); ++i) {
    const UINT id = GetMenuItemID(menu.Popup.Get(), i);
    if (id == static_cast<UINT>(-1) || id < kdFirstShellCommandId ||
        !IsRenameCommand(menu.Menu.Get(), id - kdFirstShellCommandId))
      continue;
    wchar_t text[128] = {};
    GetMenuStringW(menu.Popup.Get(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    texts.push_back(WideToUtf8(text));
  }
  return texts;
}

TEST(ContextMenu, TheRenameCommandIsKnownByItsVerbWhereverTheMenuPutsIt) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  TKdIdListPtr list = zortest::ParsePath(dir / "a.txt");
  ShellMenu offered(list.get(), CMF_CANRENAME);
  ASSERT_HRESULT_SUCCEEDED(offered.Result);
  const std::vector<std::string> texts = RenameCommandTexts(offered);
  ASSERT_EQ(1u, texts.size()) << ::testing::PrintToString(texts);
  std::string shown = texts[0];
  shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
  EXPECT_EQ("Rename", shown);
  // Nothing else is taken for it: not the commands of an explorer's menu, which has (under Wine) no rename.
  ShellMenu explorer(list.get(), CMF_EXPLORE | CMF_CANRENAME);
  ASSERT_HRESULT_SUCCEEDED(explorer.Result);
  EXPECT_LE(RenameCommandTexts(explorer).size(), 1u);
  EXPECT_FALSE(IsRenameCommand(explorer.Menu.Get(), static_cast<UINT>(FindVerbOffset(explorer.Menu.Get(), "copy"))));
  EXPECT_TRUE(IsRenameCommand(explorer.Menu.Get(), kdRenameCommandOffset));
}

TEST(ContextMenu, AVerbTheMenuLacksRunsNothing) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "sub");
  TKdIdListPtr list = zortest::ParsePath(dir / "sub");
  ShellMenu menu(list.get());
  ASSERT_HRESULT_SUCCEEDED(menu.Result);
  // Wine's folder menus carry no "paste"; on Windows they do, and then the paste (of an empty clipboard)
  // is the shell's to answer.
  if (FindVerbOffset(menu.Menu.Get(), "paste") == kdVerbNotFound) {
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), InvokeContextCommand(nullptr, menu.Menu.Get(), "paste"));
  }
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), InvokeContextCommand(nullptr, menu.Menu.Get(), "no-such-verb"));

  // The fake has a command at offset 0: a missing verb must not fall back to it.
  ComPtr<zortest::FakeContextMenu> fake = zortest::FakeContextMenu::Create();
  fake->Commands = {{0, "open", "&Open"}, {25, "copy", "&Copy"}};
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), InvokeContextCommand(nullptr, fake.Get(), "paste"));
  EXPECT_TRUE(fake->Invocations.empty());
}

TEST(ContextMenu, VerbsAreFoundAtTheirOffsetsAndInvokedWithTheDocumentedRecord) {
  ComPtr<zortest::FakeContextMenu> fake = zortest::FakeContextMenu::Create();
  EXPECT_EQ(0, FindVerbOffset(fake.Get(), "open"));
  EXPECT_EQ(17, FindVerbOffset(fake.Get(), "delete"));
  EXPECT_EQ(19, FindVerbOffset(fake.Get(), "Properties"));
  EXPECT_EQ(25, FindVerbOffset(fake.Get(), "copy"));
  EXPECT_EQ(static_cast<UINT>(CMF_EXPLORE), fake->LastQueryFlags);
  EXPECT_EQ(kdFirstShellCommandId, fake->LastFirstId);

  HWND owner = AllocateHWnd([](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); });
  fake->InvokeResult = HRESULT_FROM_WIN32(ERROR_CANCELLED);
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), InvokeContextCommand(owner, fake.Get(), "delete"));
  fake->InvokeResult = S_FALSE;
  EXPECT_EQ(S_FALSE, InvokeContextCommand(owner, fake.Get(), 19u));
  ASSERT_EQ(2u, fake->Invocations.size());
  EXPECT_EQ(17u, fake->Invocations[0].Offset);
  EXPECT_EQ(19u, fake->Invocations[1].Offset);
  for (const auto &call : fake->Invocations) {
    EXPECT_EQ(sizeof(CMINVOKECOMMANDINFO), call.Size);
    EXPECT_EQ(0u, call.Mask);
    EXPECT_EQ(owner, call.Owner);
    EXPECT_TRUE(call.VerbIsOffset);
    EXPECT_TRUE(call.ParametersNull);
    EXPECT_TRUE(call.DirectoryNull);
    EXPECT_EQ(SW_SHOWNORMAL, call.Show);
    EXPECT_EQ(0u, call.HotKey);
    EXPECT_EQ(nullptr, call.Icon);
  }
  DeallocateHWnd(owner);
  EXPECT_EQ(1u, fake->RefCount());
}

TEST(ContextMenu, BuildingThroughAFolderReportsAndReleasesOnFailure) {
  ComPtr<zortest::FakeContextMenu> fake = zortest::FakeContextMenu::Create();
  ComPtr<zortest::FakeMenuFolder> folder = zortest::FakeMenuFolder::Create(fake.Get());
  TKdIdListPtr item(IdListCopy(nullptr));
  LPCITEMIDLIST items[] = {item.get(), item.get()};
  HWND owner = reinterpret_cast<HWND>(0x1234);

  {
    ComPtr<IContextMenu> menu;
    TMenuHandle popup;
    HRESULT hr = GetItemContextMenu(owner, folder.Get(), 2, items, CMF_EXPLORE | CMF_CANRENAME, 100, menu, popup);
    EXPECT_HRESULT_SUCCEEDED(hr);
    EXPECT_EQ(27, HRESULT_CODE(hr)); // the highest offset used plus one
    EXPECT_EQ(owner, folder->LastOwner);
    EXPECT_EQ(2u, folder->LastCount);
    EXPECT_EQ(static_cast<UINT>(CMF_EXPLORE | CMF_CANRENAME), fake->LastQueryFlags);
    ASSERT_TRUE(popup);
    EXPECT_TRUE(MenuHasId(popup.Get(), 100 + 18));
    EXPECT_TRUE(MenuHasId(popup.Get(), 100 + 25));
  }

  folder->UIObjectResult = E_NOINTERFACE;
  {
    ComPtr<IContextMenu> menu;
    TMenuHandle popup(CreatePopupMenu());
    EXPECT_EQ(E_NOINTERFACE, GetItemContextMenu(owner, folder.Get(), 1, items, CMF_EXPLORE, 1000, menu, popup));
    EXPECT_FALSE(menu);
    EXPECT_FALSE(popup);
  }

  folder->UIObjectResult = S_OK;
  fake->QueryResult = E_OUTOFMEMORY;
  {
    ComPtr<IContextMenu> menu;
    TMenuHandle popup(CreatePopupMenu());
    try {
      GetItemContextMenu(owner, folder.Get(), 1, items, CMF_EXPLORE, 1000, menu, popup);
      ADD_FAILURE() << "a failing QueryContextMenu did not raise";
    } catch (const EOleError &e) {
      EXPECT_EQ(E_OUTOFMEMORY, e.ErrorCode());
    }
    EXPECT_FALSE(menu);
    EXPECT_FALSE(popup);
    EXPECT_THROW(FindVerbOffset(fake.Get(), "copy"), EOleError);
  }
  // Only the folder's own reference is left on the menu.
  EXPECT_EQ(2u, fake->RefCount());
  folder.Reset();
  EXPECT_EQ(1u, fake->RefCount());
}

TEST(ContextMenu, ThousandBuildsLeakNothing) {
  zortest::TempDir dir;
  zortest::WriteFileText(dir / "a.txt", "x");
  TKdIdListPtr list = zortest::ParsePath(dir / "a.txt");
  auto buildOnce = [&] {
    ShellMenu menu(list.get());
    ASSERT_HRESULT_SUCCEEDED(menu.Result);
    ASSERT_NE(kdVerbNotFound, FindVerbOffset(menu.Menu.Get(), "open"));
    ComPtr<IContextMenu> direct;
    ASSERT_HRESULT_SUCCEEDED(GetItemUIObject(list.get(), direct));
  };
  for (int i = 0; i < 50; ++i)
    buildOnce();
  const DWORD handles = zortest::OpenHandleCount();
  const DWORD userObjects = zortest::UserObjectCount();
  const DWORD gdiObjects = zortest::GdiObjectCount();
  const SIZE_T memory = zortest::PrivateBytes();
  const DWORD start = GetTickCount();
  for (int i = 0; i < 1000; ++i)
    buildOnce();
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_LE(zortest::OpenHandleCount(), handles + 5);
  EXPECT_LE(zortest::UserObjectCount(), userObjects + 20);
  EXPECT_LE(zortest::GdiObjectCount(), gdiObjects + 20);
  EXPECT_LE(zortest::PrivateBytes(), memory + 128 * 1024);
  std::printf("1000 menu builds: %lu ms, handles %lu -> %lu, user objects %lu -> %lu, private bytes %llu -> %llu\n",
              static_cast<unsigned long>(elapsed), static_cast<unsigned long>(handles),
              static_cast<unsigned long>(zortest::OpenHandleCount()), static_cast<unsigned long>(userObjects),
              static_cast<unsigned long>(zortest::UserObjectCount()), static_cast<unsigned long long>(memory),
              static_cast<unsigned long long>(zortest::PrivateBytes()));
}

} // namespace
