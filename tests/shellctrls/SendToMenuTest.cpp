// The Send To submenu of a shell menu that lacks IContextMenu2 (filled from a Send To folder the test fills,
// drawn, answering typed characters, run by a drop on the entry), and the help texts of shell commands.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShellListTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "common/TestSupport.h"
#include "fakes/FakeContextMenu.h"
#include "fakes/FakeSendToFolder.h"
#include "shellctrls/UKdShellControls.h"
#include "shellns/IdList.h"
#include "toolkit/Handles.h"
#include "toolkit/StringList.h"
#include "toolkit/SysUtils.h"

using namespace zortest;

namespace {

constexpr int kItemWidth = 220;
constexpr int kItemHeight = 24;

int SmallIconOf(const std::string &path) {
  TKdIdListPtr list;
  if (FAILED(ParseDisplayNameToIdList(path, list)))
    return -1;
  return GetIdListIconIndex(list.get(), SHGFI_SMALLICON);
}

TGdiObject<HFONT> MenuFont() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return TGdiObject<HFONT>(CreateFontIndirectW(&metrics.lfMenuFont));
}

// What a menu entry should look like: the caption in the menu font 32 pixels from the left, the small icon
// 8 pixels from the left, both 2 pixels from the top, on the menu's (or the highlight's) colour.
void DrawExpectedEntry(HDC dc, const std::string &caption, int icon, bool selected) {
  RECT rect = {0, 0, kItemWidth, kItemHeight};
  FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  TGdiObject<HFONT> font = MenuFont();
  HGDIOBJ old = SelectObject(dc, font.Get());
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  SetBkMode(dc, TRANSPARENT);
  const std::wstring text = Utf8ToWide(caption);
  TextOutW(dc, 32, 2, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, old);
  if (icon >= 0)
    ImageList_Draw(GetSystemImageList(0), icon, dc, 8, 2, ILD_TRANSPARENT);
}

int DifferingPixels(const MemorySurface &a, const MemorySurface &b) {
  int differing = 0;
  for (int y = 0; y < kItemHeight; ++y)
    for (int x = 0; x < kItemWidth; ++x)
      differing += a.At(x, y) != b.At(x, y);
  return differing;
}

class SendToMenu : public ::testing::Test {
protected:
  SendToMenu() {
    // Entries gather over a run of the program; each test starts as a fresh program would.
    FreeSendToList();
    WriteFileText(sendTo / "Archive.txt", "x");
    MakeShortcut(sendTo / "alpha.lnk", items.Path());
    WriteFileText(sendTo / "Mail Recipient.MAPIMail");
    WriteFileText(sendTo / "\xC3\x89t\xC3\xA9.txt");
    MakeHiddenFile(sendTo / "hidden.txt");
    MakeDir(sendTo / "sub");
    WriteFileText(items / "one.txt", "1");
    WriteFileText(items / "two.txt", "2");
    menu->AddSendToPlaceholder = true;
    menu->AddForeignItems = false;
    popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, kdFirstShellCommandId, kdLastShellCommandId, CMF_EXPLORE);
    sendToMenu = GetSubMenu(popup, GetMenuItemCount(popup) - 1);
  }
  ~SendToMenu() override {
    DestroyMenu(popup);
    FreeSendToList();
  }

  LRESULT Serve(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    ServeShellMenuMessage(message, menu.Get(), GetSystemImageList(0), &sender,
                          [this](TObject *from, const std::string &hint) {
                            Hints.push_back(hint);
                            HintSenders.push_back(from);
                          });
    return message.Result;
  }
  void OpenSendTo() { Serve(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sendToMenu), GetMenuItemCount(popup) - 1); }
  LRESULT TypeInSendTo(wchar_t c) {
    return Serve(WM_MENUCHAR, MAKEWPARAM(c, MF_POPUP), reinterpret_cast<LPARAM>(sendToMenu));
  }
  // The SendToList entries the submenu's items stand for, in menu order.
  std::vector<std::string> ShownEntries() {
    std::vector<std::string> shown;
    for (int i = 0; i < GetMenuItemCount(sendToMenu); ++i) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE;
      GetMenuItemInfoW(sendToMenu, static_cast<UINT>(i), TRUE, &info);
      if (!(info.fType & MFT_OWNERDRAW) || info.wID != static_cast<UINT>(i) + 1 || (info.fState & MFS_GRAYED)) {
        shown.push_back("(not an entry)");
        continue;
      }
      shown.push_back(SendToList()->Strings(static_cast<int>(info.dwItemData)));
    }
    return shown;
  }

  TempDir sendTo;
  TempDir items;
  FakeSendToFolder folder{sendTo.Path()};
  ComPtr<FakeContextMenu> menu = FakeContextMenu::Create();
  HMENU popup = nullptr;
  HMENU sendToMenu = nullptr;
  TObject sender;
  std::vector<std::string> Hints;
  std::vector<TObject *> HintSenders;
};

TEST_F(SendToMenu, ThePlaceholderBecomesTheFolderFilesDrawnWithTheirIconAndNameWithoutExtension) {
  OpenSendTo();
  ASSERT_EQ(ShownEntries(),
            (std::vector<std::string>{"alpha.lnk", "Archive.txt", "\xC3\x89t\xC3\xA9.txt", "Mail Recipient.MAPIMail"}))
      << "hidden files and subfolders are left out";

  struct Case {
    int Position;
    std::string Caption;
    std::string File;
    bool Selected;
  };
  for (const Case &c :
       {Case{0, "alpha", "alpha.lnk", false}, Case{3, "Mail Recipient", "Mail Recipient.MAPIMail", true}}) {
    const UINT id = static_cast<UINT>(c.Position) + 1;
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, id, 0, 0, static_cast<ULONG_PTR>(c.Position)};
    EXPECT_TRUE(Serve(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    TGdiObject<HFONT> font = MenuFont();
    TWindowDC screen;
    HGDIOBJ old = SelectObject(screen.DC(), font.Get());
    SIZE extent = {};
    const std::wstring caption = Utf8ToWide(c.Caption);
    GetTextExtentPoint32W(screen.DC(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    SelectObject(screen.DC(), old);
    EXPECT_EQ(static_cast<LONG>(measure.itemWidth), extent.cx + 32) << c.Caption;
    EXPECT_EQ(static_cast<int>(measure.itemHeight), GetSystemMetrics(SM_CYMENU) + 2);

    const int icon = SmallIconOf(sendTo / c.File);
    ASSERT_GE(icon, 0) << c.File;
    MemorySurface drawn(kItemWidth, kItemHeight, RGB(1, 2, 3));
    MemorySurface expected(kItemWidth, kItemHeight, RGB(1, 2, 3));
    DRAWITEMSTRUCT draw = {ODT_MENU,
                           0,
                           id,
                           ODA_DRAWENTIRE,
                           c.Selected ? static_cast<UINT>(ODS_SELECTED) : 0u,
                           reinterpret_cast<HWND>(sendToMenu),
                           drawn.dc,
                           {0, 0, kItemWidth, kItemHeight},
                           static_cast<ULONG_PTR>(c.Position)};
    Serve(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    DrawExpectedEntry(expected.dc, c.Caption, icon, c.Selected);
    EXPECT_EQ(0, DifferingPixels(drawn, expected)) << c.Caption << " drawn otherwise";
  }
  EXPECT_TRUE(menu->MenuMessages.empty());
}

TEST_F(SendToMenu, ATypedCharacterSelectsAmongSeveralEntriesRunsTheOnlyOneAndClosesForNone) {
  OpenSendTo();
  // Nothing highlighted: the search starts after the first entry.
  EXPECT_EQ(TypeInSendTo(L'a'), MAKELRESULT(1, MNC_SELECT)) << "Archive, as alpha begins with a too";
  MENUITEMINFOW hilite = {};
  hilite.cbSize = sizeof hilite;
  hilite.fMask = MIIM_STATE;
  hilite.fState = MFS_HILITE;
  SetMenuItemInfoW(sendToMenu, 1, TRUE, &hilite);
  EXPECT_EQ(TypeInSendTo(L'A'), MAKELRESULT(0, MNC_SELECT)) << "after Archive, round to alpha";
  EXPECT_EQ(TypeInSendTo(L'm'), MAKELRESULT(3, MNC_EXECUTE));
  EXPECT_EQ(TypeInSendTo(L'\u00E9'), MAKELRESULT(2, MNC_EXECUTE)) << "a character beyond ASCII, whole";
  EXPECT_EQ(TypeInSendTo(L'\u0151'), MAKELRESULT(0, MNC_CLOSE)) << "its low byte is Q, which begins nothing";
  EXPECT_EQ(HIWORD(TypeInSendTo(L'z')), MNC_CLOSE);

  // The shell's own menu is not the entries': a stray letter there picks none of its commands.
  EXPECT_EQ(0, Serve(WM_MENUCHAR, MAKEWPARAM(L'x', MF_POPUP), reinterpret_cast<LPARAM>(popup)));
  EXPECT_TRUE(menu->Invocations.empty());
}

TEST_F(SendToMenu, TheHighlightedShellCommandsHelpTextReachesOnPopupHintEvenWhenOnlyTheWideOneIsAnswered) {
  menu->HelpTexts[25] = "Copie l'\xC3\xA9l\xC3\xA9ment";
  const auto select = [&](UINT id, UINT flags) {
    Serve(WM_MENUSELECT, MAKEWPARAM(id, flags), reinterpret_cast<LPARAM>(popup));
  };
  select(kdFirstShellCommandId + 25, MF_STRING | MF_HILITE);
  select(kdFirstShellCommandId + 0, MF_STRING | MF_HILITE); // no help text
  select(GetMenuItemCount(popup) - 1, MF_POPUP | MF_HILITE);
  select(1, MF_OWNERDRAW | MF_HILITE);
  Serve(WM_MENUSELECT, MAKEWPARAM(0xFFFF, 0xFFFF), 0); // the menu closing
  EXPECT_EQ(Hints, (std::vector<std::string>{"Copie l'\xC3\xA9l\xC3\xA9ment", "", "", "", ""}));
  EXPECT_EQ(HintSenders.front(), &sender);

  // A menu that fills its own submenus gets the messages; the controls draw nothing, the hint still comes.
  menu->HandlesMenuMessages = true;
  Hints.clear();
  OpenSendTo();
  EXPECT_EQ(GetMenuItemCount(sendToMenu), 1) << "the placeholder was replaced";
  MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 1, 0, 0, 0};
  Serve(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  TypeInSendTo(L'a');
  select(kdFirstShellCommandId + 25, MF_STRING | MF_HILITE);
  EXPECT_EQ(menu->MenuMessages, (std::vector<UINT>{WM_INITMENUPOPUP, WM_MEASUREITEM, WM_MENUCHAR}));
  EXPECT_EQ(Hints, std::vector<std::string>{"Copie l'\xC3\xA9l\xC3\xA9ment"});
  EXPECT_EQ(nullptr, SendToList()) << "entries were collected for a menu that has its own";
}

TEST_F(SendToMenu, AnEntryTypedInTheListsMenuReceivesTheSelectedFilesInALeftButtonCopyDrop) {
  ShellListForm view;
  view.List->SetOptions(view.List->Options().Exclude(kdsloAutoFill).Exclude(kdsloDynamicRefresh));
  view.List->SetMultiSelect(true);
  view.Form->Show();
  TKdIdListPtr list = ParsePath(items.Path());
  ComPtr<IShellFolder> real;
  ASSERT_HRESULT_SUCCEEDED(BindToShellFolder(list.get(), real));
  ComPtr<FakeMenuFolder> itemsFolder = FakeMenuFolder::Create(menu.Get(), real.Get());
  view.List->ShowFolder(itemsFolder.Get(), list.get());
  for (const char *name : {"one", "two"})
    view.List->Items()[view.RowOf(name)]->SetSelected(true);
  view.List->Items()[view.RowOf("two")]->SetFocused(true);
  menu->Commands = {{0, "open", "Open"}};
  menu->HelpTexts[0] = "Opens the item";
  std::vector<std::string> hints;
  view.List->OnPopupHint = [&](TObject *, const std::string &hint) { hints.push_back(hint); };

  {
    // Into Send To, then the first letter of one entry alone.
    MenuChoice choice("Se&nd To");
    choice.TypedAfter = L"m";
    PressKey(view.List, VK_APPS);
  }
  EXPECT_EQ(folder.TargetNames, std::vector<std::string>{sendTo / "Mail Recipient.MAPIMail"});
  const std::vector<RecordingDropTarget::Call> &calls = folder.Target->Calls;
  ASSERT_EQ(calls.size(), 3u);
  const char *methods[] = {"DragEnter", "DragOver", "Drop"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[i].Method, methods[i]);
    EXPECT_EQ(calls[i].KeyState, static_cast<DWORD>(MK_LBUTTON));
    EXPECT_TRUE(calls[i].Point.x == 0 && calls[i].Point.y == 0);
  }
  EXPECT_EQ(calls[0].Effect, static_cast<DWORD>(DROPEFFECT_COPY));
  // The files by name: the folder part of the shell's own data object is Wine's business (it names the
  // desktop there).
  std::vector<std::string> dropped;
  for (const std::string &path : folder.Target->DroppedPaths)
    dropped.push_back(path.substr(path.rfind('\\') + 1));
  EXPECT_EQ(dropped, (std::vector<std::string>{"one.txt", "two.txt"}));
  EXPECT_NE(std::find(hints.begin(), hints.end(), "Opens the item"), hints.end());
  EXPECT_TRUE(menu->Invocations.empty()) << "a shell command ran";
  EXPECT_EQ(nullptr, view.List->ActiveContextMenu());

  // A file that leaves the folder stays an entry for the rest of the run; choosing it fails aloud.
  ASSERT_TRUE(DeleteFileW(Utf8ToWide(sendTo / "Archive.txt").c_str()));
  HMENU again = CreatePopupMenu();
  AppendMenuW(again, MF_STRING | MF_GRAYED, 0, L"(empty)");
  Serve(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(again), 0);
  EXPECT_EQ(GetMenuItemCount(again), 4);
  DestroyMenu(again);
  EXPECT_THROW(SendDataToTarget("Archive.txt", nullptr), EOleError);
  EXPECT_EQ(calls.size(), 3u) << "the vanished entry's drop reached a target";
}

TEST_F(SendToMenu, TheTreesMenuSendsTheNodesFolder) {
  MakeDir(items / "docs");
  TForm form(nullptr);
  form.SetBounds(40, 40, 300, 300);
  auto *tree = new TKdShellTree(&form);
  tree->SetOptions(kdDefaultShellTreeOptions - kdstoDynamicRefresh);
  tree->BaseFolder().SetPath(items.Path());
  tree->SetParent(&form);
  tree->SetAlign(alClient);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return tree->FirstShellNode() && Child(tree->FirstShellNode(), "docs"); }, 5000));
  tree->SetFocus();
  // The root's items offer the fake menu, with its Send To placeholder.
  TKdShTreeData *root = TKdCustomShellTree::ShellData(tree->FirstShellNode());
  ComPtr<FakeMenuFolder> menus = FakeMenuFolder::Create(menu.Get(), root->GetFolder());
  root->SetFolder(menus.Get());
  tree->SetSelected(Child(tree->FirstShellNode(), "docs"));
  menu->Commands = {{0, "open", "Open"}};

  {
    MenuChoice choice("Se&nd To");
    choice.TypedAfter = L"M";
    PressKey(tree, VK_APPS);
  }
  EXPECT_EQ(folder.TargetNames, std::vector<std::string>{sendTo / "Mail Recipient.MAPIMail"});
  ASSERT_EQ(folder.Target->DroppedPaths.size(), 1u);
  const std::string &dropped = folder.Target->DroppedPaths[0];
  EXPECT_EQ(dropped.substr(dropped.rfind('\\') + 1), "docs");
  EXPECT_TRUE(menu->Invocations.empty()) << "a shell command ran";
}

} // namespace
