// How fast the shell list fills and refreshes a large folder, and what its rows cost in memory, against the
// floor of the same run: the bare enumeration of the folder through IShellFolder with one GetAttributesOf per
// item (what admitting the items needs at the least). The platform's own folder view fills the same folder
// for comparison.
//
// The folders (1,000, 10,000 and 100,000 empty files) are made once under the temp folder and kept for the
// next run: making 100,000 files takes longer than everything measured here.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchAllocations.h"
#include "BenchFolders.h"
#include "BenchSupport.h"
#include "Sampler.h"
#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/SysUtils.h"

using zorbench::CreateEmptyFile;
using zorbench::EnumerateFloor;
using zorbench::Figure;
using zorbench::FileName;
using zorbench::MakeFolder;
using zorbench::OwnBytes;
using zorbench::Pump;
using zorbench::ReportRow;
using zorbench::TSampler;

namespace {

double Seconds() { return zorbench::NowMs() / 1000.0; }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The process's committed private memory, walked region by region (Wine answers 0 for PrivateUsage).
int64_t PrivateBytes() {
  int64_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char *at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
       at = static_cast<const char *>(info.BaseAddress) + info.RegionSize)
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
      total += static_cast<int64_t>(info.RegionSize);
  return total;
}

// Just enough of a browser for a folder view to fill itself.
class MinimalBrowser : public IShellBrowser {
public:
  explicit MinimalBrowser(HWND owner) : FOwner(owner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IShellBrowser) {
      *object = static_cast<IShellBrowser *>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND *wnd) override {
    *wnd = FOwner;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG *, WORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream **stream) override {
    *stream = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND *wnd) override {
    *wnd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT *result) override {
    if (result)
      *result = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView **view) override {
    *view = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView *) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return S_OK; }

private:
  HWND FOwner;
  ULONG FRefs = 1;
};

double PlatformView(const std::string &path, HWND owner) {
  TKdIdListPtr list;
  ParseDisplayNameToIdList(path, list);
  MinimalBrowser browser(owner);
  RECT rect;
  GetClientRect(owner, &rect);
  const double start = Seconds();
  ComPtr<IShellFolder> folder;
  BindToShellFolder(list.get(), folder);
  ComPtr<IShellView> view;
  if (FAILED(folder->CreateViewObject(owner, IID_IShellView, view.PutVoid())))
    return -1;
  FOLDERSETTINGS settings = {FVM_DETAILS, 0};
  HWND viewWindow = nullptr;
  if (FAILED(view->CreateViewWindow(nullptr, &settings, &browser, &rect, &viewWindow)))
    return -1;
  view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
  Pump();
  UpdateWindow(viewWindow);
  const double elapsed = Seconds() - start;
  view->DestroyViewWindow();
  return elapsed;
}

// The platform's own list view, virtual as ours, with the same four columns, given count rows whose texts and
// icon are at hand and drawn: what showing a screenful of rows costs with no shell work in it.
LRESULT CALLBACK BareListHost(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == LVN_GETDISPINFOW) {
    LVITEMW &item = reinterpret_cast<NMLVDISPINFOW *>(lParam)->item;
    static const wchar_t *texts[] = {L"file-00000042.txt", L"0 KB", L"Text Document", L"08/12/2026 10:00"};
    if (item.mask & LVIF_TEXT)
      lstrcpynW(item.pszText, texts[std::clamp(item.iSubItem, 0, 3)], item.cchTextMax);
    if (item.mask & LVIF_IMAGE)
      item.iImage = static_cast<int>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    return 0;
  }
  return DefWindowProcW(wnd, message, wParam, lParam);
}

double BareListView(HWND owner, int count, int icon) {
  static const ATOM host = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BareListHost;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorBareListHost";
    return RegisterClassW(&windowClass);
  }();
  (void)host;
  RECT rect;
  GetClientRect(owner, &rect);
  HWND parent = CreateWindowExW(0, L"ZorBareListHost", L"", WS_CHILD | WS_VISIBLE, 0, 0, rect.right, rect.bottom, owner,
                                nullptr, nullptr, nullptr);
  SetWindowLongPtrW(parent, GWLP_USERDATA, icon);
  HWND list =
      CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHAREIMAGELISTS, 0,
                      0, rect.right, rect.bottom, parent, nullptr, nullptr, nullptr);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(GetSystemImageList(0)));
  zorbench::AddBareColumns(list, 4, 150);
  UpdateWindow(parent);
  const double start = Seconds();
  SendMessageW(list, LVM_SETITEMCOUNT, count, 0);
  UpdateWindow(parent);
  const double elapsed = Seconds() - start;
  DestroyWindow(parent);
  return elapsed;
}

void Line(const char *what, double seconds, double floor, const char *goal) {
  std::printf("  %-40s %8.3f s %7.2fx  %s\n", what, seconds, seconds / floor, goal);
}

// A row of the table: the ratio of seconds against floor, with both in milliseconds.
// drawing: what the platform's list view takes to show the rows, when the figure includes showing them.
void RatioRow(const char *what, double seconds, double floor, double goal, double drawing = 0) {
  std::string figure = Figure("%.2fx (%.1f ms against %.1f ms", seconds / floor, 1000 * seconds, 1000 * floor);
  if (drawing > 0)
    figure += Figure("; %.2fx against it and a bare list view's drawing, %.1f ms", seconds / (floor + drawing),
                     1000 * drawing);
  ReportRow(what, figure + ")", Figure("<= %.2gx", goal).c_str(), seconds / floor <= goal);
}

// The rows each folder size gives the table (a goal of 0: printed for comparison only).
struct TRowNames {
  int Count;
  const char *Fill;
  double FillGoal;
  const char *Refresh;
  double RefreshGoal;
  const char *Scroll;
};

const TRowNames RowNames[] = {
    {1000, "list: fill 1,000 files until sorted and shown", 2.0, nullptr, 0, nullptr},
    {10000, "list: fill 10,000 files", 1.5, "list: refresh 10,000 files after 1 added, 1 removed", 1.2, nullptr},
    {100000, "list: fill 100,000 files", 2.0, "list: refresh 100,000 files after 1 added, 1 removed", 1.2,
     "list: scroll 100,000 rows to the end and back, drawn"},
};

} // namespace

int main(int argc, char **argv) {
  InitializeShell95Unit();
  InitializeShellControlsUnit();
  {
    TApplication application;
    application.Initialize();
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"zor-shelllist-bench";
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring emptyDir = root + L"\\empty";
    CreateDirectoryW(emptyDir.c_str(), nullptr);

    TForm form(nullptr);
    form.SetBounds(0, 0, 900, 600);
    auto *list = new TKdShellList(&form);
    list->SetParent(&form);
    list->SetAlign(alClient);
    list->SetOptions(list->Options().Exclude(kdsloDynamicRefresh));
    form.Show();
    list->Folder().SetPath(WideToUtf8(emptyDir.c_str()));
    Pump();

    // Fills of the folder at path (from an empty folder) until shown, and the folder's floor, taking turns so
    // that what else the machine does weighs on both alike: the fills' median; the floors are added to floors.
    auto fillInTurns = [&](const std::string &path, const std::string &label, std::vector<double> &floors) {
      std::vector<double> fills;
      for (int i = 0; i < 5; ++i) {
        floors.push_back(EnumerateFloor(path, nullptr));
        list->Folder().SetPath(WideToUtf8(emptyDir.c_str()));
        Pump();
        TSampler sampler(label.c_str());
        const double start = Seconds();
        list->Folder().SetPath(path);
        UpdateWindow(list->Handle());
        fills.push_back(Seconds() - start);
      }
      return Median(fills);
    };

    std::printf("Shell list: fill, refresh and memory against the bare enumeration (floor) of the same folder\n");
    // The folder sizes may be named on the command line (for a quick look at one of them).
    std::vector<int> counts = {1000, 10000, 100000};
    if (argc > 1) {
      counts.clear();
      for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    }
    for (int count : counts) {
      const std::wstring dir = root + L"\\" + std::to_wstring(count);
      const std::string path = WideToUtf8(dir.c_str());
      std::printf("%d files\n", count);
      MakeFolder(dir, count);
      const int runs = 5;

      EnumerateFloor(path, nullptr);
      // Memory: the shell's own lists of the items, measured rather than assumed (held, not freed), then a
      // fill on top of them, so that both take memory not used before.
      std::vector<LPITEMIDLIST> kept;
      kept.reserve(static_cast<size_t>(count) + 1024);
      const int64_t beforeLists = PrivateBytes();
      EnumerateFloor(path, &kept);
      const double listBytes = static_cast<double>(PrivateBytes() - beforeLists) / count;
      const int64_t beforeRows = PrivateBytes();
      const int64_t beforeOwn = OwnBytes();
      list->Folder().SetPath(path);
      UpdateWindow(list->Handle());
      const double shown = std::max(1, list->Items().Count());
      const double privateRowBytes = static_cast<double>(PrivateBytes() - beforeRows) / shown - listBytes;
      const double rowBytes = static_cast<double>(OwnBytes() - beforeOwn) / shown;
      list->Folder().SetPath(WideToUtf8(emptyDir.c_str()));
      for (LPITEMIDLIST p : kept)
        ShellMemFree(p);
      kept = {};

      std::vector<double> floors;
      const double fill = fillInTurns(path, Figure("fill %d", count), floors);
      const double floor = Median(floors);
      const int rows = list->Items().Count();
      // Sorting the rows shown the other way round and showing them, as a click on the sorted column does.
      std::vector<double> sorts;
      for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        list->SetSortNumber(i % 2 ? 1 : -1);
        sorts.push_back(Seconds() - start);
      }
      list->SetSortNumber(1);
      const double sort = Median(sorts);
      // Names, icons and details of rows never drawn are asked for now, for the rows drawn only.
      const double scrollStart = Seconds();
      SendMessageW(list->Handle(), LVM_ENSUREVISIBLE, rows - 1, FALSE);
      UpdateWindow(list->Handle());
      SendMessageW(list->Handle(), LVM_ENSUREVISIBLE, 0, FALSE);
      UpdateWindow(list->Handle());
      const double scroll = Seconds() - scrollStart;

      std::vector<double> refreshes;
      for (int i = 0; i < runs; ++i) {
        floors.push_back(EnumerateFloor(path, nullptr));
        const std::wstring added = dir + L"\\added.txt";
        const std::wstring removed = FileName(dir, 7);
        CreateEmptyFile(added);
        DeleteFileW(removed.c_str());
        TSampler sampler(Figure("refresh %d", count).c_str());
        const double start = Seconds();
        list->RefreshList();
        UpdateWindow(list->Handle());
        refreshes.push_back(Seconds() - start);
        if (list->Items().Count() != rows)
          std::printf("  (refresh left %d rows, expected %d)\n", list->Items().Count(), rows);
        DeleteFileW(added.c_str());
        CreateEmptyFile(removed);
        list->RefreshList();
      }
      const double refresh = Median(refreshes);
      const double refreshFloor = Median(floors);
      list->Folder().SetPath(WideToUtf8(emptyDir.c_str()));
      Pump();

      const double platform = PlatformView(path, form.Handle());
      Pump();
      std::vector<double> bares;
      TKdIdListPtr firstFile;
      ParseDisplayNameToIdList(WideToUtf8(FileName(dir, 0).c_str()), firstFile);
      const int icon = firstFile ? GetIdListIconIndex(firstFile.get(), SHGFI_SMALLICON) : 0;
      for (int i = 0; i < runs; ++i) {
        bares.push_back(BareListView(form.Handle(), count, icon));
        Pump();
      }
      const double bare = Median(bares);

      Line("floor: EnumObjects + GetAttributesOf", floor, floor, "");
      Line("FillList until sorted and shown", fill, floor, "goal <= 2.0x at 100,000");
      Line("a bare virtual list view given the rows", bare, floor, "(the platform's drawing, for comparison)");
      Line("sorting the other way (a header click)", sort, floor, "");
      Line("scrolling to the end and back, drawn", scroll, floor, "");
      Line("RefreshList after 1 added, 1 removed", refresh, refreshFloor, "goal <= 1.2x at 100,000");
      if (platform >= 0) {
        Line("platform folder view (IShellView)", platform, floor, "");
        std::printf("  %-40s %8.1fx faster            goal >= 3x at 100,000\n", "FillList against the platform view",
                    platform / fill);
      } else {
        std::printf("  platform folder view: not available\n");
      }
      std::printf("  %-40s %8.0f bytes            goal <= 200\n", "own memory per row (our allocations)", rowBytes);
      for (const TRowNames &names : RowNames) {
        if (names.Count != count)
          continue;
        RatioRow(names.Fill, fill, floor, names.FillGoal, bare);
        if (names.Refresh)
          RatioRow(names.Refresh, refresh, refreshFloor, names.RefreshGoal, bare);
        if (names.Scroll)
          ReportRow(names.Scroll, Figure("%.2fx (%.1f ms)", scroll / floor, 1000 * scroll), "as before", true);
        if (count == 100000)
          ReportRow("list: own memory per row at 100,000 rows", Figure("%.0f bytes", rowBytes), "<= 200 bytes",
                    rowBytes <= 200);
      }
      std::printf("  %-40s %8.0f bytes            (the shell's lists, %.0f bytes a row, taken off)\n",
                  "private bytes per row", privateRowBytes, listBytes);
      std::fflush(stdout);
    }
    {
      // Rows of folders, whose icons and types the shell answers otherwise than a file's.
      const std::wstring dir = root + L"\\folders";
      MakeFolder(dir, 1000, true);
      std::vector<double> floors;
      const double fill = fillInTurns(WideToUtf8(dir.c_str()), "fill 1000 folders", floors);
      std::printf("1,000 subfolders\n");
      Line("floor: EnumObjects + GetAttributesOf", Median(floors), Median(floors), "");
      Line("FillList until sorted and shown", fill, Median(floors), "");
    }
  }
  FinalizeShellControlsUnit();
  FinalizeShell95Unit();
  return 0;
}
