// How long the program takes from its start until its first tab shows My Computer's drives, against the
// platform's own start of a bare window with a tree and a list: this program started with "bare" (a top-level
// window with a tree view of one node and a report list view of three rows, nothing else). Both are started
// as processes and watched from here alike: the time runs from CreateProcess until the window is shown, its
// list has rows and the list has answered a message (so the work queued before it is done).
//
// For orientation, a second bare start ("bare shell") shows what the first tab shows with the shell's own
// answers: the desktop's items and My Computer's in the tree, My Computer's in the list, each with its name
// and icon from the system's icon lists. What the program takes beyond it is its own.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"

using zorbench::Figure;
using zorbench::NowMs;
using zorbench::ReportRow;

namespace {

constexpr const wchar_t *BareClass = L"ZorBareStartWindow";

LRESULT CALLBACK BareProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_SIZE) {
    RECT client;
    GetClientRect(wnd, &client);
    HWND tree = GetDlgItem(wnd, 1), list = GetDlgItem(wnd, 2);
    MoveWindow(tree, 0, 0, 275, client.bottom, TRUE);
    MoveWindow(list, 275, 0, std::max(0L, client.right - 275), client.bottom, TRUE);
    return 0;
  }
  return DefWindowProcW(wnd, message, wParam, lParam);
}

// The shell's items of folder, each given to add as an ID list relative to it.
void ForEachItem(IShellFolder *folder, const std::function<void(LPITEMIDLIST)> &add) {
  IEnumIDList *items = nullptr;
  if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) != S_OK || !items)
    return;
  LPITEMIDLIST item = nullptr;
  while (items->Next(1, &item, nullptr) == S_OK) {
    add(item);
    CoTaskMemFree(item);
  }
  items->Release();
}

void ShowShellItems(HWND tree, HWND list) {
  OleInitialize(nullptr);
  SHFILEINFOW info = {};
  auto small = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(small));
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
  IShellFolder *desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop)))
    return;
  LPITEMIDLIST computer = nullptr;
  SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
  // The shell's name and small icon of an item, by its absolute ID list.
  auto describe = [](LPCITEMIDLIST absolute, SHFILEINFOW &item) {
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &item, sizeof item,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  };
  auto insertNode = [&](HTREEITEM parent, const wchar_t *text, int icon) {
    TVINSERTSTRUCTW node = {};
    node.hParent = parent;
    node.hInsertAfter = TVI_LAST;
    node.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    node.item.pszText = const_cast<LPWSTR>(text);
    node.item.iImage = node.item.iSelectedImage = icon;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
  };
  SHFILEINFOW item = {};
  describe(nullptr, item);
  HTREEITEM root = insertNode(TVI_ROOT, item.szDisplayName, item.iIcon);
  HTREEITEM computerNode = nullptr;
  ForEachItem(desktop, [&](LPITEMIDLIST child) {
    describe(child, item);
    HTREEITEM node = insertNode(root, item.szDisplayName, item.iIcon);
    if (computer && desktop->CompareIDs(0, child, computer) == 0)
      computerNode = node;
  });
  IShellFolder *drives = nullptr;
  if (computer &&
      SUCCEEDED(desktop->BindToObject(computer, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&drives)))) {
    int row = 0;
    ForEachItem(drives, [&](LPITEMIDLIST child) {
      LPITEMIDLIST absolute = ILCombine(computer, child);
      describe(absolute, item);
      ILFree(absolute);
      if (computerNode)
        insertNode(computerNode, item.szDisplayName, item.iIcon);
      LVITEMW line = {};
      line.mask = LVIF_TEXT | LVIF_IMAGE;
      line.iItem = row++;
      line.pszText = item.szDisplayName;
      line.iImage = item.iIcon;
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&line));
    });
    drives->Release();
  }
  if (computerNode)
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(computerNode));
  CoTaskMemFree(computer);
  desktop->Release();
}

// The window the platform starts with nothing of ours in it; with shell, it shows the shell's items as above.
int RunBare(bool shell) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = BareProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = BareClass;
  RegisterClassW(&windowClass);
  HWND wnd = CreateWindowExW(0, BareClass, L"Bare", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 0, 0, 275, 600, wnd,
                              reinterpret_cast<HMENU>(1), nullptr, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 275, 0, 525, 600, wnd,
                              reinterpret_cast<HMENU>(2), nullptr, nullptr);
  TVINSERTSTRUCTW node = {};
  node.hParent = TVI_ROOT;
  node.hInsertAfter = TVI_LAST;
  node.item.mask = TVIF_TEXT;
  node.item.pszText = const_cast<LPWSTR>(L"My Computer");
  if (!shell)
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node));
  const wchar_t *columns[] = {L"Name", L"Type", L"Total Size", L"Free Space"};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<LPWSTR>(columns[i]);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  const wchar_t *rows[] = {L" (C:)", L" (Z:)", L"Control Panel"};
  for (int i = 0; i < 3 && !shell; ++i) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT;
    row.iItem = i;
    row.pszText = const_cast<LPWSTR>(rows[i]);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
  }
  if (shell)
    ShowShellItems(tree, list);
  ShowWindow(wnd, SW_SHOWMAXIMIZED);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

struct TSearch {
  DWORD Process;
  const wchar_t *TopClass;
  const wchar_t *ListClass;
  HWND Top = nullptr;
  HWND List = nullptr;
};

bool HasClass(HWND wnd, const wchar_t *name) {
  wchar_t found[64] = {};
  GetClassNameW(wnd, found, 64);
  return wcscmp(found, name) == 0;
}

BOOL CALLBACK FindList(HWND wnd, LPARAM param) {
  auto *search = reinterpret_cast<TSearch *>(param);
  if (HasClass(wnd, search->ListClass) && IsWindowVisible(wnd) && SendMessageW(wnd, LVM_GETITEMCOUNT, 0, 0) > 0) {
    search->List = wnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTop(HWND wnd, LPARAM param) {
  auto *search = reinterpret_cast<TSearch *>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != search->Process || !IsWindowVisible(wnd) || !HasClass(wnd, search->TopClass))
    return TRUE;
  search->Top = wnd;
  EnumChildWindows(wnd, FindList, param);
  return search->List ? FALSE : TRUE;
}

// Milliseconds from starting commandLine until its window of topClass shows a list of listClass with rows;
// negative when it did not within 30 s. The program is closed again afterwards.
double TimeStart(std::wstring commandLine, const wchar_t *topClass, const wchar_t *listClass) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const double start = NowMs();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  TSearch search{process.dwProcessId, topClass, listClass};
  double elapsed = -1;
  while (NowMs() - start < 30000) {
    search.Top = search.List = nullptr;
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
    if (search.List) {
      DWORD_PTR result = 0;
      SendMessageTimeoutW(search.List, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      elapsed = NowMs() - start;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
      break;
  }
  if (search.Top)
    PostMessageW(search.Top, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::string(argv[1]) == "bare")
    return RunBare(argc > 2 && std::string(argv[2]) == "shell");
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.erase(folder.find_last_of(L'\\') + 1);
  const std::wstring bare = L"\"" + std::wstring(self) + L"\" bare";
  const std::wstring bareShell = bare + L" shell";
  const std::wstring program = L"\"" + folder + L"ZorExplorer.exe\"";
  // Each started once untimed (the system's own caches), then taking turns.
  TimeStart(bare, BareClass, WC_LISTVIEWW);
  TimeStart(program, L"TFormMainExplorer", L"TListView");
  TimeStart(bareShell, BareClass, WC_LISTVIEWW);
  // Nine rounds: a start under Wine varies by a third from one to the next, the bare window's as much as ours.
  constexpr int Rounds = 9;
  std::vector<double> bares, bareShells, programs;
  for (int i = 0; i < Rounds; ++i) {
    bares.push_back(TimeStart(bare, BareClass, WC_LISTVIEWW));
    bareShells.push_back(TimeStart(bareShell, BareClass, WC_LISTVIEWW));
    programs.push_back(TimeStart(program, L"TFormMainExplorer", L"TListView"));
  }
  const double floor = Median(bares);
  const double shellFloor = Median(bareShells);
  const double started = Median(programs);
  std::printf("Start-up until the first tab shows My Computer's drives (median of %d)\n", Rounds);
  std::printf("  floor: a bare window with a tree and a list  %7.1f ms\n", floor);
  std::printf("  the same showing the shell's items and icons  %7.1f ms\n", shellFloor);
  std::printf("  the program                                   %7.1f ms   ratio %5.2f (%.2f against the second)\n",
              started, started / floor, started / shellFloor);
  if (floor <= 0 || started <= 0) {
    std::printf("  a start did not show its window in time\n");
    return 1;
  }
  ReportRow("start-up: program start until the first tab shows My Computer's drives",
            Figure("%.2fx (%.0f ms against %.0f ms; %.2fx against a bare window showing the shell's items and "
                   "icons, %.0f ms)",
                   started / floor, started, floor, started / shellFloor, shellFloor),
            "<= 1.5x", started / floor <= 1.5);
  return 0;
}
