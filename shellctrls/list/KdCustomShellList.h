#pragma once
// TKdCustomShellList: a report list of the items of one shell folder, named by its Folder locator. It fills
// itself from the folder (admitting items by their attributes, the linked tree, a file-name filter and the
// OnAddItem veto), sorts the rows by the folder's own item order, keeps itself in step with the disk through
// a watch of its folder (on a worker thread all controls share) and a delayed refresh that only adds and
// removes the rows that changed, and moves to other folders (up, into a folder, after the linked tree). Its
// columns are the folder's own details, or Name, Size, Type and Modified for folders that describe none; their
// widths carry over between folders and between lists.
//
// Rows cost little: a row's name, icon and details are asked of the shell only when the row is drawn (or
// someone asks), never while filling, sorting or refreshing. TKdShellList is the class the program places.
//
// It answers the user: opening rows (folders and shortcuts to folders in place, anything else by its
// default command), Backspace and the default keys, renaming in place through the shell, the shell's
// context menu of the selection, dragging and dropping, and the mouse wheel (which it hands to the shell
// control under the pointer).
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "shellctrls/KdOptionSet.h"
#include "shellctrls/KdRefreshGate.h"
#include "shellctrls/KdShAddItemEvent.h"
#include "shellctrls/KdShellFolderContext.h"
#include "shellctrls/KdShellLocator.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/commands/KdShellContextMenu.h"
#include "shellctrls/dragdrop/KdDragSession.h"
#include "shellctrls/list/KdShListData.h"
#include "toolkit/ComPtr.h"
#include "toolkit/ImageList.h"
#include "treelist/KdCustomListView.h"

class IKdShellTreeLink;
class TKdChangeWatch;
struct TKdColumnPlan;
class TStringList;
class TTreeNode;
struct TKdMessage;

enum TKdShellListOption : uint8_t {
  kdsloAutoFill,                    // fill once the window exists; fill again when FileFilter changes
  kdsloNonFilesystemAncestors,      // show items that are neither in nor above the file system
  kdsloDesignInteractive,           // for a form designer; no effect in the program
  kdsloDefaultKeyHandling,          // the default key bindings act on the rows
  kdsloContextMenus,                // a right click shows the item's shell context menu
  kdsloDontChangeFolder,            // opening a folder, going up and browsing leave the folder as it is
  kdsloDontGoBelowBase,             // kept for stored forms; no effect
  kdsloDynamicRefresh,              // watch the folder and refresh after changes
  kdsloHideFoldersWhenLinkedToTree, // with a linked tree, leave file-system folders to the tree
  kdsloOleDrag,                     // rows can be dragged out
  kdsloOleDrop,                     // the list takes drops
  kdsloFolderContextMenu,           // kept for stored forms; no effect
  kdsloShowHidden,                  // show hidden items (drawn ghosted)
  kdsloFilesCanBeFolders,           // browsable files (archives) open as folders
};

using TKdShellListOptions = TKdOptionSet<TKdShellListOption>;

constexpr TKdShellListOptions kdDefaultShellListOptions = TKdShellListOptions::FromBits(0x3E9B);

using TKdShListDeleteItemEvent = std::function<void(TObject *aSender, TListItem *aNode, TKdShListData *aShListData)>;
// Raised before the list runs the default command of rows it opens; afHandled true keeps it from running.
using TKdShDblClickOpenEvent = std::function<void(TObject *aSender, bool &afHandled)>;
// aItem and aData: the row being drawn and its data, null outside the item stages and for other rows.
using TKdShLvCustomDrawEvent =
    std::function<void(TObject *aSender, TKdCustomDraw *aCD, TListItem *aItem, TKdShListData *aData)>;

class TKdCustomShellList : public TKdCustomListView,
                           public IKdShellFolderContext,
                           public IKdDropHost<TListItem>,
                           public TKdWheelPeer {
public:
  // Posted by the change thread for every change in the watched folder (wParam: its slot).
  static constexpr UINT ChangeMessage = WM_USER + 101;
  // Posted by NewFolder to itself: start renaming the row named EditAfterRefreshName.
  static constexpr UINT EditNewFolderMessage = WM_USER + 102;
  // Posted by the list to itself: fill from the message loop when still empty.
  static constexpr UINT DeferredFillMessage = WM_USER + 103;
  // Sent by the shell to the window hosting a view: the hosting explorer's IShellBrowser, if any.
  static constexpr UINT ShellBrowserRequestMessage = WM_USER + 7;

  explicit TKdCustomShellList(TComponent *AOwner);
  ~TKdCustomShellList() override;

  // Deletes every row and fills the list from Folder, sorted. A folder that cannot be read (a drive without
  // a medium, a folder gone) leaves the list with what could be read, or empty, without a message; other
  // failures raise once the rows are shown. While the list is busy (its menu, its drag, a label edit) the
  // fill waits for the end.
  void FillList();
  // Adds the items that appeared in the folder since the last fill and deletes the rows of those that
  // vanished; every other row stays as it is, where it is. New rows come last.
  void RefreshList();
  // Shows the folder that many levels up (through the linked tree when there is one).
  void GoUp(int levels);
  // Shows the folder of the linked tree's newly selected node.
  void FollowTreeNode(TTreeNode *node);

  // The folder to show; changing it fills the list.
  TKdShellLocator &Folder() { return FFolder; }
  void SetFolder(TKdShellLocator *value) { FFolder.Assign(value); }
  TKdShellListOptions Options() const { return FOptions; }
  void SetOptions(TKdShellListOptions value);
  // File-name patterns separated by ";" ("*.txt;*.doc"); folders always pass. Empty, "*" and "*.*" show
  // everything, and so does any filter on a folder outside the file system.
  const std::string &FileFilter() const { return FFileFilter; }
  void SetFileFilter(const std::string &value);

  // A quick filter over the rows already read: only the rows whose shown name contains text (in any letter
  // case, in any script) are shown, and rows that a refresh or a fill of the same folder brings obey it;
  // showing another folder ends it. The rows stay what the folder holds (Items), so refreshes, the
  // selection, drags and renames work on them as before: the filter only decides which the control shows.
  // Empty text shows every row.
  void SetNameFilter(const std::string &text);
  const std::string &NameFilter() const { return FNameFilter; }
  // Makes the keys the filter matches rows by now (a filter being opened), so that no typed character waits
  // for them.
  void PrepareNameFilter();
  // The name filter's text changed, also when showing another folder ended it.
  TNotifyEvent OnNameFilterChange;

  // The linked tree, or null. Set by the tree when its ShellList names this list.
  IKdShellTreeLink *ShellTree() const { return FShellTree; }
  void SetShellTree(IKdShellTreeLink *value);

  // The folder shown by the last fill, and its absolute list (null: the desktop).
  IShellFolder *ShellFolder() const override { return FShellFolder.Get(); }
  LPCITEMIDLIST CurrentIdList() const override { return FCurrentIdList.get(); }
  // The folder's column details, looked up once per fill; null when it has none.
  IShellDetails *GetFolderDetails() override;
  bool FilesCanBeFolders() const override { return FOptions.Contains(kdsloFilesCanBeFolders); }

  // 0: the rows' default order; n > 0: ascending by column n (1-based); n < 0: descending by column -n.
  int SortNumber() const { return FSortNumber; }
  // Shows the header's indicator on the column and sorts the rows when the number changes.
  void SetSortNumber(int n);
  void SortRows();
  // 0 before the first fill, 1 for the folder's detail columns, 2 for the list's own columns.
  uint8_t ColumnSet() const { return FColumnSet; }
  // A size of files as the list's size column writes one: the shell's form for its detail columns, the
  // list's own for its own.
  std::string SizeColumnText(uint64_t bytes) const;

  // The row's data when it is a shell row, else null.
  static TKdShListData *ShellData(const TListItem *item);
  // The row of the item the folder shown knows by item (a list relative to it), by the folder's own
  // comparison (the bytes of two lists for one item may differ); null when no row shows it.
  TListItem *RowOfItem(LPCITEMIDLIST item);

  // Opens what is selected (double-click, Enter): one row as OpenItem does, several by their default
  // command, run once for all of them.
  void OpenSelection();
  // A folder (or a browsable file, a shortcut to a folder) is shown in the list; anything else runs its
  // default command unless an OnDblClickOpen handler takes it.
  void OpenItem(TListItem *item);
  // The default command of the shell's context menu of items (relative to the shown folder), the menu
  // never shown. Raises EOleError when the folder offers no menu.
  void RunDefaultCommand(UINT count, LPCITEMIDLIST *items);
  // Runs a verb ("copy", "cut", "delete") of the selection's context menu; E_FAIL with nothing selected.
  HRESULT InvokeSelectionVerb(const std::string &verb);
  // Runs a verb ("paste", "properties") of the shown folder's own context menu; raises EOleError when the
  // folder has no menu or the command fails.
  void InvokeFolderVerb(const std::string &verb);
  // Creates a folder under the first free default name in the shown folder and fills the list again; with
  // startEditing, the new folder's row is then renamed in place. False when no folder was made (and in a
  // folder that is no file-system folder, where nothing is tried).
  bool NewFolder(bool startEditing);
  // The folder's UI object (riid: IContextMenu, IDataObject...) for all selected shell rows, or one row;
  // E_FAIL with no shell row selected, E_INVALIDARG for a row that is no shell row.
  virtual HRESULT GetSelectionUIObject(REFIID riid, void **object);
  virtual HRESULT GetRowUIObject(TListItem *item, REFIID riid, void **object);
  // The relative lists of the selected shell rows in row order, owned by the rows.
  std::vector<LPCITEMIDLIST> SelectedRelIdLists() const;
  // The selected shell rows as the program hands them to others (a drag, Send To).
  ComPtr<IDataObject> SelectionDataObject();
  // Selects every row, drawn once.
  void SelectAll() override;
  // The shell's context menu while it is shown, else null.
  IContextMenu *ActiveContextMenu() const { return FContextMenu.Active(); }
  // The name of the folder NewFolder made last, whose row is to be renamed once the list shows it.
  const std::string &EditAfterRefreshName() const { return FEditAfterRefreshName; }

  // A notch of the wheel: the toolkit's events, then the shell tree or list under the pointer, else this
  // list scrolls (sideways in the list style).
  bool DoMouseWheelDown(TShiftState shift, POINT mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, POINT mousePos) override;

  // When the list brings itself up to date: changes on disk, and fills and refreshes held while it is busy.
  TKdRefreshGate &RefreshGate() { return FGate; }
  // The list's own drag is running.
  bool Dragging() const { return FDrag.Running(); }
  // A fill or refresh was asked for while it could not run (a menu, a drag, a label edit).
  bool RefreshPending() const { return FGate.Held() != TKdHeldWork::None; }
  // Runs a refresh that is due now; with flushTree, first lets the linked tree finish a selection it holds
  // back (before an item is opened, the list must show the folder the user sees selected).
  void FlushPending(bool flushTree);

  // ---- Dragging and dropping ----
  // Drags the selected rows out of the list with the button (the notifications that start a drag call this).
  void StartOleDrag(TMouseButton button);
  // The effects the folder allows for the selected shell rows: 0 when none is selected, all three when the
  // folder cannot tell.
  DWORD GetDragEffects();
  // Set by the list's first drag and never cleared.
  bool OleDragStarted() const { return FOleDragStarted; }
  // A drag over the list: every event is handed to the shell's drop target of the row under the pointer
  // (or of the list's folder), fetched afresh for each event. Points are in screen coordinates.
  virtual HRESULT DoDragEnter(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);
  virtual HRESULT DoDragOver(DWORD keys, POINTL point, DWORD &effect);
  virtual HRESULT DoDragLeave();
  virtual HRESULT DoDrop(IDataObject *data, DWORD keys, DWORD &effect, POINTL point);

  TKdShAddItemEvent OnAddItem;
  TKdShListDeleteItemEvent OnDeleteItem;
  TKdShDblClickOpenEvent OnDblClickOpen;
  // Raised at every custom-draw stage, and (OnCustomDrawSh) at the item pre-paint stage only.
  TKdShLvCustomDrawEvent OnCustomDrawShEx;
  TKdShLvCustomDrawEvent OnCustomDrawSh;
  // The help text of the shell command highlighted in the control's context menu ("" for anything else).
  TKdShPopupHintEvent OnPopupHint;
  TNotifyEvent OnFillStart;
  TNotifyEvent OnFillComplete;
  TNotifyEvent OnFolderChanged;

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;
  void Notification(TComponent *component, bool inserted) override;
  // The image lists too: the system's of the icon sizes for the new resolution.
  void ChangeScale(int newPPI, int oldPPI) override;

  // A shell row raises OnDeleteItem before it goes with its data.
  void Delete(TListItem *item) override;
  // Names and column texts of shell rows, asked for when the control draws them.
  std::string GetDisplayText(TListItem *item, int column) override;
  int GetDisplayImage(TListItem *item) override;
  // Sorts by the clicked column, or the other way round when it already is the sort column, unless an
  // OnColumnClick handler chose a sort itself.
  void ColClick(TListColumn *column) override;
  void CNNotify(TMessage &message) override;

  // A shell row may be renamed when its item can be; the edit box then holds the name as the shell wants
  // it typed (with the extension the caption may hide).
  bool CanEdit(TListItem *item) override;
  // Renames the row's item through the shell to the typed name, trimmed; a name the shell refuses leaves
  // the caption as it was.
  void Edit(TListItem *item, const std::string &text) override;
  void KeyDown(WORD &key, TShiftState shift) override;
  void KeyPress(wchar_t &key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // Keys a form would otherwise take: all while a label is edited, and Enter on a folder row.
  bool WantSpecialKey(WORD key, TShiftState shift) override;
  // With kdsloContextMenus, the shell's context menu of the selection instead of the list's popup menu.
  void DoItemContextMenu(TListItem *item, POINT &pos, TPopupMenu *&menu) override;
  void MenuMessage(TMessage &message) override;
  // The messages of the shell's context menu while it is shown (menu initialisation, owner-drawn items,
  // selection, typed characters), after the window's own handling: where entries of the list's own in that
  // menu are served. The base leaves them to the window.
  virtual void ShellContextMenuMessage(TMessage &message);
  // An entry of the Send To submenu (identifiers 1 to 999 of the shell's context menu, entry = identifier
  // - 1) was chosen: the selection goes to that entry's target. Only the submenu's filling (in
  // ShellContextMenuMessage) puts such entries into the menu; the base has none to serve.
  virtual void SendSelectionTo(UINT entry);
  std::unique_ptr<TKdLvCustomDraw> DoCustomDraw(NMLVCUSTOMDRAW *record, LRESULT &result) override;
  // Raises OnCustomDrawShEx, and OnCustomDrawSh at the item pre-paint stage.
  virtual void DoCustomDrawSh(TKdCustomDraw *draw, TListItem *item, TKdShListData *data);
  // Raises OnDblClickOpen; true when the default command is to run.
  virtual bool DoDblClickOpen();

  // Takes folder as the list's folder (idList its absolute list), rebuilds the columns and adds a row for
  // every admitted item.
  virtual void EnumerateFolder(IShellFolder *folder, LPCITEMIDLIST idList);
  // Collect and drop the names that pass FileFilter in the current folder.
  virtual void PrepareFilter();
  virtual void ReleaseFilter();
  // The file filter and then OnAddItem; true to show the item.
  virtual bool AllowAddItem(IShellFolder *folder, LPCITEMIDLIST parentIdList, SFGAOF attributes,
                            LPCITEMIDLIST relIdList);
  // A folder always; a file when its name (any letter case) passed the filter.
  virtual bool MatchesFilter(const std::string &name, SFGAOF attributes);
  // Whether an item of the shown folder gets a row; attributes receives what the folder said of it.
  bool ShouldAddItem(LPCITEMIDLIST parentIdList, LPCITEMIDLIST relIdList, SFGAOF &attributes);
  // Adds a row for an item of the shown folder when it is admitted.
  void AddNewShellItem(LPCITEMIDLIST parentIdList, TKdIdListPtr relIdList);
  // Watches the shown folder (and no other) for changes.
  virtual void StartChangeWatch();
  // Shows another folder the user chose (opening a folder row, a shortcut to a folder).
  void BrowseTo(LPCITEMIDLIST absIdList);

  virtual void DoFillStart();
  virtual void DoFillComplete();
  virtual void DoFolderChanged();

  // The drop target the window registers while kdsloOleDrop is on; null while the list takes no drops.
  virtual ComPtr<IDropTarget> CreateListDropTarget();
  virtual ComPtr<IDropSource> CreateDropSource(TMouseButton button);
  // Where a drop on the list reaches the shell.
  HRESULT DropOnShellTarget(const TKdShellDrop &drop) override;

  // Rebuilds the columns for a fill: the folder's details, or the list's own columns.
  void SetupColumns(IShellDetails *details);
  // The shared width record (widths at 96 dpi), written from and applied to the current columns.
  void SaveColumnWidths();

private:
  void TakeSystemImageLists();
  // The drop flow's view of the list.
  TWinControl &DropControl() override { return *this; }
  TKdDropPlace<TListItem> DropPlaceAt(POINT client, DWORD keys, TKdDragEvent event, DWORD &effect) override;
  TListItem *DropHighlight() const override { return FDropRow; }
  void SetDropHighlight(TListItem *row) override;
  void DragAutoScroll(POINT client) override;
  void DropDone() override { RefreshList(); }

  // What the refresh gate lets through.
  void RunWork(TKdHeldWork work);
  // A label edit is on and its end is not being handled.
  bool LabelEditInProgress() const { return IsEditing() && !FEndingLabelEdit; }
  void FolderChanged();
  void DeviceChange(TKdMessage &message);
  void ClearRows();
  // The shell's icons become the list's images, the first time rows are to be shown.
  void ShowSystemIcons();
  // The row's shell drop target and its absolute list; the folder's when the row has none (row then null).
  ComPtr<IDropTarget> RowDropTarget(TListItem *&row, LPCITEMIDLIST &idList);
  ComPtr<IDropTarget> FolderDropTarget();
  void ParseFilterPatterns();
  bool RowPassesNameFilter(TListItem *item);
  // The folded shown name of a row, made once (see PrepareNameFilter).
  const std::wstring &MatchKeyOf(TKdShListData &data);
  // Ends the name filter when the list is about to show a folder other than the one it shows.
  void EndNameFilterForFolder(LPCITEMIDLIST folder);
  bool CollectFilterNames(const std::string &pattern);
  void BuildFixedColumns();
  void BuildDetailColumns(IShellDetails *details);
  // The columns planned for a fill, in the control.
  void ShowColumns(const std::vector<TKdColumnPlan> &plan);
  void SharedWidthsChanged();
  // A network folder reports no changes: the list refreshes itself after running a command there.
  bool ShowsNetworkFolder();
  void ShowShellContextMenu(POINT pos);
  void EditNewFolderRow();
  LRESULT ShellBrowserRequest();
  bool WheelNotch(bool down, TShiftState shift, POINT mousePos);
  // Reads the folder's items, handing each one's list to take. S_OK when the folder was read to its end;
  // listed is false when it could not be listed at all.
  HRESULT ReadFolderItems(IShellFolder *folder, bool &listed, const std::function<void(TKdIdListPtr &&)> &take);
  // A row for data, with what the folder said of its item.
  void AddRow(std::unique_ptr<TKdShListData> data, SFGAOF attributes);
  int CompareRows(LPCITEMIDLIST a, LPCITEMIDLIST b) const;

  static constexpr int RowAllocationStep = 256;

  ComPtr<IShellFolder> FShellFolder;
  TKdIdListPtr FCurrentIdList;
  bool FDetailsLookedUp = false;
  ComPtr<IShellDetails> FFolderDetails;
  TKdShellLocator FFolder;
  TKdShellListOptions FOptions = kdDefaultShellListOptions;
  std::string FFileFilter;
  // Upper-cased names that passed the filter, between PrepareFilter and ReleaseFilter.
  std::unique_ptr<TStringList> FFilterNames;
  std::unique_ptr<TStringList> FFilterPatterns;
  std::string FNameFilter;
  // The filter text folded as the keys are.
  std::wstring FNameFilterKey;
  // Per extension (folded): whether the shell leaves it out of the names it shows, learnt from one item each.
  std::unordered_map<std::wstring, bool> FHiddenExtensions;
  IKdShellTreeLink *FShellTree = nullptr;
  TComponent *FShellTreeComponent = nullptr;
  int FSortNumber = 1;
  bool FSortSetByColumnClick = false;
  int FFolderChangeDepth = 0;
  std::unique_ptr<TKdChangeWatch> FChangeWatch;
  bool FInWindowCreation = false;
  bool FInWindowDestruction = false;
  // How the last enumeration of a fill ended, for FillList to report once the rows are shown.
  HRESULT FEnumResult = S_OK;
  uint8_t FColumnSet = 0;
  // Under Wine, My Computer's shell answers the drives' sizes modulo 4 GiB: the list writes its "Size" and
  // "Size available" columns of drive rows itself.
  bool FOwnDriveSizes = false;
  bool FWidthsShared = false;
  // The system's lists of 16 and 32 pixels at 96 dpi, scaled to the control's resolution.
  TImageList *FSmallImages = nullptr;
  TImageList *FLargeImages = nullptr;
  std::string FEditAfterRefreshName;
  // Set while the control reports the end of a label edit, when its edit box still exists.
  bool FEndingLabelEdit = false;
  bool FOleDragStarted = false;
  // The drop-highlighted row (forgotten when it goes).
  TListItem *FDropRow = nullptr;
  TKdRefreshGate FGate;
  TKdDragSession<TListItem> FDrag;
  TKdShellContextMenu FContextMenu;
};

// The shell list as the program places it.
class TKdShellList : public TKdCustomShellList {
public:
  using TKdCustomShellList::TKdCustomShellList;
};
