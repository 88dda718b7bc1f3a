#pragma once
// A shell list on a form, and what the tests read of it: the texts and states the control shows.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Form.h"
#include "toolkit/SysUtils.h"

namespace zortest {

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
  std::string Text(int row, int column = 0) const {
    wchar_t buffer[1024] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    SendMessageW(List->Handle(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return WideToUtf8(buffer);
  }

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
