#pragma once
// A context menu of made-up commands, for what the real shell must not be asked in a test (delete,
// properties: Wine blocks on their dialogs) or cannot be made to do (fail to fill a menu, answer a chosen
// HRESULT, lack IContextMenu2, answer only the wide help text). It records every invocation; FakeMenuFolder
// hands it out as an item's context menu.
#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "toolkit/ComPtr.h"

namespace zortest {

class FakeContextMenu : public IContextMenu2 {
public:
  struct Command {
    UINT Offset;
    std::string Verb;
    std::string Text;
  };
  // The fields of one InvokeCommand call as received.
  struct Invocation {
    DWORD Size;
    DWORD Mask;
    HWND Owner;
    bool VerbIsOffset;
    UINT Offset;
    std::string VerbText;
    bool ParametersNull;
    bool DirectoryNull;
    int Show;
    DWORD HotKey;
    HANDLE Icon;
  };

  // A new fake held by the returned pointer alone. Commands default to the shell's usual ones ("open" at
  // offset 0 ... "properties" at 19).
  static ComPtr<FakeContextMenu> Create();

  std::vector<Command> Commands;
  // The command shown as the menu's default (in bold, run by a double click), or -1 for none.
  int DefaultOffset = -1;
  // As the shell's own menus do, offer the "rename" command only to callers that pass CMF_CANRENAME.
  bool RenameNeedsFlag = true;
  // Help texts by command offset (UTF-8), answered to the wide request only, as Wine's menus do.
  std::map<UINT, std::string> HelpTexts;
  // Also put a separator, a submenu and an item of a foreign identifier (below the first) into the menu.
  bool AddForeignItems = true;
  // QueryContextMenu fails with this when it is a failure code.
  HRESULT QueryResult = S_OK;
  // Also put a "Send To" submenu holding only the grayed placeholder the shell leaves for its entries.
  bool AddSendToPlaceholder = false;
  // Answer IContextMenu2 (and record the menu messages handed to it), as a menu that fills its own
  // submenus does.
  bool HandlesMenuMessages = false;
  std::vector<UINT> MenuMessages;
  HRESULT InvokeResult = S_OK;

  std::vector<Invocation> Invocations;
  UINT LastQueryFlags = 0;
  UINT LastFirstId = 0;
  ULONG RefCount() const { return FRefCount; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IContextMenu
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO *info) override;
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT *reserved, CHAR *name,
                                             UINT size) override;
  // IContextMenu2
  HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  FakeContextMenu();
  virtual ~FakeContextMenu() = default;
  std::atomic<ULONG> FRefCount{1};
};

// A folder whose items' context menu is a given fake (or whose GetUIObjectOf fails with a given code). Given
// a real folder, it answers everything else as that folder does: its items are real files whose menu is
// the fake.
class FakeMenuFolder : public IShellFolder {
public:
  // A new folder holding its own references to menu and inner.
  static ComPtr<FakeMenuFolder> Create(FakeContextMenu *menu, IShellFolder *inner = nullptr);

  HRESULT UIObjectResult = S_OK;
  HWND LastOwner = nullptr;
  UINT LastCount = 0;
  ULONG RefCount() const { return FRefCount; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx *, LPWSTR, ULONG *, PIDLIST_RELATIVE *, ULONG *) override;
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList **) override;
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx *, REFIID, void **) override;
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override;
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void **) override;
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF *) override;
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY, REFIID riid, UINT *,
                                          void **object) override;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET *) override;
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD *) override;

private:
  FakeMenuFolder(FakeContextMenu *menu, IShellFolder *inner);
  virtual ~FakeMenuFolder() = default;
  ComPtr<FakeContextMenu> FMenu;
  ComPtr<IShellFolder> FInner;
  std::atomic<ULONG> FRefCount{1};
};

} // namespace zortest
