#pragma once
// A shell list on a form, and what the tests read of it: the texts and states the control shows.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Form.h"
#include "toolkit/SysUtils.h"

namespace zortest {

// The names in a folder, sorted.
inline std::vector<std::string> NamesOnDisk(const std::string &folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    std::string name = WideToUtf8(found.cFileName);
    if (name != "." && name != "..")
      names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

inline void MakeShortcut(const std::string &link, const std::string &target) {
  ComPtr<IShellLinkW> shellLink;
  ASSERT_EQ(S_OK,
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.PutVoid()));
  shellLink->SetPath(Utf8ToWide(target).c_str());
  ComPtr<IPersistFile> file;
  ASSERT_EQ(S_OK, shellLink.As(file));
  ASSERT_EQ(S_OK, file->Save(Utf8ToWide(link).c_str(), TRUE));
}

inline void MakeHiddenFile(const std::string &path) {
  WriteFileText(path, "x");
  SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
}

// A key pressed on a control with the modifiers held (VK_SHIFT, VK_CONTROL): sent as the window would get
// it, the characters it types too.
inline void PressKey(TWinControl *control, WORD key, std::initializer_list<BYTE> modifiers = {}) {
  BYTE saved[256], held[256];
  GetKeyboardState(saved);
  std::copy(std::begin(saved), std::end(saved), std::begin(held));
  for (BYTE modifier : modifiers)
    held[modifier] = 0x80;
  SetKeyboardState(held);
  SendMessageW(control->Handle(), WM_KEYDOWN, key, 1);
  if (key == VK_RETURN || key == VK_BACK)
    SendMessageW(control->Handle(), WM_CHAR, key, 1);
  SetKeyboardState(saved);
}

// A form that takes Enter as a dialog's default button would.
class DefaultButtonForm : public TForm {
public:
  using TForm::TForm;
  int Enters = 0;

protected:
  bool DialogKey(WORD key, TShiftState shift) override {
    if (key != VK_RETURN)
      return TForm::DialogKey(key, shift);
    ++Enters;
    return true;
  }
};

// Waits for the next popup menu the program tracks, notes the texts of its entries and chooses the entry
// whose text is choice (as the user would, with the keyboard), or closes the menu when it has none.
class MenuChoice {
public:
  explicit MenuChoice(std::string choice) : Choice(std::move(choice)) {
    Current = this;
    FTimer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) { Current->Look(); });
  }
  ~MenuChoice() {
    KillTimer(nullptr, FTimer);
    Current = nullptr;
  }
  MenuChoice(const MenuChoice &) = delete;
  MenuChoice &operator=(const MenuChoice &) = delete;

  std::string Choice;
  // Characters typed into the submenu of the chosen entry, which is then opened (with the right arrow key)
  // rather than run.
  std::wstring TypedAfter;
  // The entries of the menu as shown ("-" for a separator), once it was.
  std::vector<std::string> Shown;

private:
  static HWND ShownMenuWindow() {
    for (HWND wnd = FindWindowExA(nullptr, nullptr, "#32768", nullptr); wnd;
         wnd = FindWindowExA(nullptr, wnd, "#32768", nullptr))
      if (IsWindowVisible(wnd))
        return wnd;
    return nullptr;
  }
  void Look() {
    HWND wnd = ShownMenuWindow();
    if (!wnd) {
      // Should the menu never show, nothing must stay waiting for it.
      if (++FWaits > 200)
        EndMenu();
      return;
    }
    KillTimer(nullptr, std::exchange(FTimer, 0));
    auto menu = reinterpret_cast<HMENU>(SendMessageW(wnd, MN_GETHMENU, 0, 0));
    int steps = -1, selectable = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[256] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
      const bool separator = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR;
      Shown.push_back(separator ? "-" : WideToUtf8(text));
      if (separator)
        continue;
      ++selectable;
      if (steps < 0 && Shown.back() == Choice)
        steps = selectable;
    }
    if (steps < 0) {
      EndMenu();
      return;
    }
    for (int i = 0; i < steps; ++i)
      PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(wnd, WM_KEYDOWN, TypedAfter.empty() ? VK_RETURN : VK_RIGHT, 0);
    for (wchar_t c : TypedAfter)
      PostMessageW(wnd, WM_CHAR, c, 0);
    // Should what was typed leave a menu open, it must not wait for a person.
    if (!TypedAfter.empty())
      FTimer = SetTimer(nullptr, 0, 3000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
  }

  UINT_PTR FTimer = 0;
  int FWaits = 0;
  static inline MenuChoice *Current = nullptr;
};

// The list, with what its base keeps to itself within reach: filling from any folder object (a fake).
class TestShellList : public TKdShellList {
public:
  using TKdShellList::TKdShellList;
  // Shows folder as if it were the folder of idList, sorted.
  void ShowFolder(IShellFolder *folder, LPCITEMIDLIST idList) {
    EnumerateFolder(folder, idList);
    SortRows();
  }
};

class ShellListForm {
public:
  explicit ShellListForm(int lists = 1) {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 760, 420);
    for (int i = 0; i < lists; ++i) {
      auto *list = new TestShellList(Form.get());
      list->SetParent(Form.get());
      list->SetAlign(lists == 1 ? alClient : alLeft);
      list->SetWidth(360);
      list->HandleNeeded();
      Lists.push_back(list);
    }
    List = Lists.front();
  }

  // The text the control shows in a cell.
  std::string Text(int row, int column = 0) const { return ListCellText(List->Handle(), row, column); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < List->Items().Count(); ++i)
      names.push_back(Text(i));
    return names;
  }

  // The row whose shown name starts with prefix (the shell may hide extensions), or -1.
  int RowOf(const std::string &prefix) const {
    for (int i = 0; i < List->Items().Count(); ++i)
      if (Text(i).rfind(prefix, 0) == 0)
        return i;
    return -1;
  }

  // The system image list index the control draws a row with.
  int Image(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageW(List->Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }

  UINT State(int row, UINT mask) const {
    return static_cast<UINT>(SendMessageW(List->Handle(), LVM_GETITEMSTATE, row, mask));
  }

  // A click on a column header, as the control reports it.
  void ClickColumn(int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = List->Handle();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(Form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  }

  std::unique_ptr<TForm> Form;
  std::vector<TestShellList *> Lists;
  TestShellList *List;
};

} // namespace zortest
