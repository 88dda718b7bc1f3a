// What tabs cost and whether they give everything back. A tab opens on My Computer: its tree enumerates the
// desktop and My Computer, its list My Computer's items; the floor is those enumerations with every item's
// attributes and name. The platform's own windows of a tab, made and drawn bare, are timed for comparison. Opening 100
// tabs and closing them again, and 100 single open-and-close cycles, must leave the kernel handles, USER and GDI
// objects where they were and the memory within 1 MB; the first and the last ten tabs of the stack are timed apart, so
// that a cost growing with the number of tabs shows. Under Wine the USER and GDI counts are probed from the handle
// tables and show only growth past the highest count seen: after the stack they stay where 100 open tabs took them, and
// the cycles tell a leak.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "Sampler.h"
#include "app/MainFormUnit.h"
#include "common/ResourceCounters.h"
#include "shellns/UKdShell95.h"

using zorbench::Figure;
using zorbench::NowMs;
using zorbench::Pump;
using zorbench::PumpUntil;
using zorbench::ReportRow;
using zorbench::TSampler;

namespace {

// Every item of folder with its attributes and in-folder name: what the tree's or the list's nodes need.
void EnumerateWithNames(IShellFolder *folder, SHCONTF flags) {
  ComPtr<IEnumIDList> enumerator;
  if (FAILED(folder->EnumObjects(nullptr, flags, enumerator.Put())) || !enumerator)
    return;
  TKdIdListPtr item;
  while (enumerator->Next(1, PidlOut(item), nullptr) == S_OK) {
    SFGAOF attributes = 0xF24B0000;
    LPCITEMIDLIST items[] = {item.get()};
    folder->GetAttributesOf(1, items, &attributes);
    GetItemDisplayName(folder, item.get(), dnInFolder);
  }
}

double Floor() {
  ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Put());
  TKdIdListPtr drives;
  GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives);
  double best = 1e300;
  for (int run = 0; run < 5; ++run) {
    double start = NowMs();
    ComPtr<IShellFolder> computer;
    desktop->BindToObject(drives.get(), nullptr, IID_IShellFolder, computer.PutVoid());
    EnumerateWithNames(desktop.Get(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
    EnumerateWithNames(computer.Get(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
    EnumerateWithNames(computer.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    best = std::min(best, NowMs() - start);
  }
  return best;
}

struct Counts {
  DWORD Handles, User, Gdi;
  SIZE_T Memory;

  static Counts Now() {
    // Closed tabs go from the message loop; their change threads end with them.
    Pump();
    Sleep(50);
    Pump();
    return {zortest::OpenHandleCount(), zortest::UserObjectCount(), zortest::GdiObjectCount(), zortest::PrivateBytes()};
  }
};

void PrintCounts(const char *what, const Counts &before, const Counts &after) {
  auto delta = [](DWORD a, DWORD b) { return static_cast<long>(b) - static_cast<long>(a); };
  printf("%-40s handles %+ld (%lu)  USER %+ld (%lu)  GDI %+ld (%lu)  memory %+.2f MB\n", what,
         delta(before.Handles, after.Handles), after.Handles, delta(before.User, after.User), after.User,
         delta(before.Gdi, after.Gdi), after.Gdi,
         (static_cast<double>(after.Memory) - static_cast<double>(before.Memory)) / 1048576.0);
}

// The platform's own windows of a tab, made, filled with what a tab on My Computer shows and drawn, the way a
// tab places them: a header bar, the client area with its two panes and a splitter, a tree view with the
// desktop's first level and My Computer's drives, and a report list view of four columns and three rows.
// What the windows alone cost, for comparison.
double BareTab(HWND parent) {
  RECT area;
  GetClientRect(parent, &area);
  const int height = area.bottom - 24;
  const double start = NowMs();
  auto make = [](const wchar_t *cls, HWND owner, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | style, x, y, w, h, owner, nullptr, nullptr, nullptr);
  };
  HWND header = make(L"STATIC", parent, WS_VISIBLE | SS_SUNKEN, 0, 0, area.right, 24);
  HWND client = make(L"STATIC", parent, WS_CLIPCHILDREN, 0, 24, area.right, height);
  HWND treePane = make(L"STATIC", client, WS_VISIBLE | SS_SUNKEN, 0, 0, 275, height);
  make(L"STATIC", client, WS_VISIBLE, 275, 0, 3, height);
  HWND listPane = make(L"STATIC", client, WS_VISIBLE | SS_SUNKEN, 278, 0, area.right - 278, height);
  HWND tree = make(WC_TREEVIEWW, treePane, WS_VISIBLE | TVS_HASBUTTONS, 0, 0, 275, height);
  HWND list = make(WC_LISTVIEWW, listPane, WS_VISIBLE | LVS_REPORT, 0, 0, area.right - 278, height);
  TVINSERTSTRUCTW node = {};
  node.hInsertAfter = TVI_LAST;
  node.item.mask = TVIF_TEXT;
  node.hParent = TVI_ROOT;
  node.item.pszText = const_cast<LPWSTR>(L"Desktop");
  node.hParent = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
  HTREEITEM desktop = node.hParent;
  HTREEITEM computer = nullptr;
  for (int i = 0; i < 15; ++i) {
    node.hParent = desktop;
    node.item.pszText = const_cast<LPWSTR>(i == 0 ? L"My Computer" : L"folder");
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
    if (i == 0)
      computer = item;
  }
  for (const wchar_t *drive : {L" (C:)", L" (Z:)", L"Control Panel"}) {
    node.hParent = computer;
    node.item.pszText = const_cast<LPWSTR>(drive);
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node));
  }
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(desktop));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(computer));
  zorbench::AddBareColumns(list, 4, 120);
  for (int i = 0; i < 3; ++i) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT;
    row.iItem = i;
    row.pszText = const_cast<LPWSTR>(L"drive");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
  }
  ShowWindow(client, SW_SHOWNA);
  UpdateWindow(parent);
  const double elapsed = NowMs() - start;
  DestroyWindow(header);
  DestroyWindow(client);
  return elapsed;
}

struct Bench {
  TFormMainExplorer *Form;

  // The newest tab shows My Computer in both panes.
  bool NewestFilled() {
    TExplorerTab *tab = Form->Tabs().front().get();
    return !tab->HeaderPanel->Caption().empty() && tab->List->Items().Count() > 0;
  }

  double OpenTab() {
    double start = NowMs();
    Form->New1Click(nullptr);
    if (!PumpUntil([&] { return NewestFilled(); }, 20000))
      printf("  a tab did not fill\n");
    return NowMs() - start;
  }

  double CloseTab() {
    double start = NowMs();
    Form->DeleteTab1Click(nullptr);
    Pump();
    return NowMs() - start;
  }

  void Stack(int count, double floor, double bare) {
    std::vector<double> opens, closes;
    Counts before = Counts::Now();
    for (int i = 0; i < count; ++i) {
      // The first and the last ten under the profiler when ZOR_PROFILE asks for it.
      std::optional<TSampler> sampler;
      if (i < 10 || i >= count - 10)
        sampler.emplace(i < 10 ? "tabs 1-10" : "last 10 tabs");
      opens.push_back(OpenTab());
    }
    Counts open = Counts::Now();
    for (int i = 0; i < count; ++i)
      closes.push_back(CloseTab());
    Counts after = Counts::Now();
    auto mean = [](const std::vector<double> &times, size_t from, size_t to) {
      double sum = 0;
      for (size_t i = from; i < to; ++i)
        sum += times[i];
      return sum / static_cast<double>(to - from);
    };
    const size_t n = static_cast<size_t>(count);
    printf("open %d tabs on My Computer, one after another: floor %6.1f ms a tab\n", count, floor);
    printf("  tabs  1-10: open %6.1f ms (ratio %5.2f)   close %6.1f ms\n", mean(opens, 0, 10),
           mean(opens, 0, 10) / floor, mean(closes, n - 10, n));
    printf("  tabs %d-%d: open %6.1f ms (ratio %5.2f)   close %6.1f ms   last/first %4.2f\n", count - 9, count,
           mean(opens, n - 10, n), mean(opens, n - 10, n) / floor, mean(closes, 0, 10),
           mean(opens, n - 10, n) / mean(opens, 0, 10));
    PrintCounts("  while open (for orientation)", before, open);
    printf("  a bare tab of the platform's own windows: %.1f ms; tabs 1-10 against the floor and that: %.2fx, "
           "tabs %d-%d: %.2fx\n",
           bare, mean(opens, 0, 10) / (floor + bare), count - 9, count, mean(opens, n - 10, n) / (floor + bare));
    const double first = mean(opens, 0, 10) / floor;
    const double last = mean(opens, n - 10, n) / floor;
    ReportRow("tabs: open a tab on My Computer (tabs 1-10)",
              Figure("%.2fx (%.1f ms a tab against %.1f ms; %.2fx against it and a bare tab's windows, %.1f ms)", first,
                     mean(opens, 0, 10), floor, mean(opens, 0, 10) / (floor + bare), bare),
              "<= 3x", first <= 3);
    ReportRow("tabs: open a tab on My Computer (tabs 91-100)",
              Figure("%.2fx (%.1f ms a tab against %.1f ms; %.2fx against it and a bare tab's windows)", last,
                     mean(opens, n - 10, n), floor, mean(opens, n - 10, n) / (floor + bare)),
              "<= 3x", last <= 3);
    const double tabMemory =
        (static_cast<double>(open.Memory) - static_cast<double>(before.Memory)) / count / 1048576.0;
    ReportRow("tabs: memory an open tab holds",
              Figure("%.2f MB (%d open tabs: %+.0f MB)", tabMemory, count, tabMemory * count), "<= 0.5 MB",
              tabMemory <= 0.5);
    PrintCounts("  all closed again", before, after);
    printf("  (under Wine USER and GDI show the most ever alive at once, not what is alive now)\n");
  }

  void Cycles(int count) {
    Counts before = Counts::Now();
    double start = NowMs();
    for (int i = 0; i < count; ++i) {
      OpenTab();
      CloseTab();
    }
    double elapsed = NowMs() - start;
    Counts after = Counts::Now();
    char what[64];
    snprintf(what, sizeof what, "%d cycles of open and close (%.0f ms)", count, elapsed);
    PrintCounts(what, before, after);
  }
};

} // namespace

int main() {
  return zorbench::RunInApplication([] {
    std::optional<TSampler> sampler(std::in_place, "first window");
    auto *form = TForm::Create<TFormMainExplorer>(nullptr);
    form->Show();
    Bench bench{form};
    PumpUntil([&] { return bench.NewestFilled(); }, 20000);
    sampler.reset();
    const double floor = Floor();
    // Whatever is made once for the first few tabs (icons, fonts, classes) is made before the counts.
    for (int i = 0; i < 5; ++i) {
      bench.OpenTab();
      bench.CloseTab();
    }
    std::vector<double> bares;
    for (int i = 0; i < 10; ++i)
      bares.push_back(BareTab(form->Handle()));
    std::sort(bares.begin(), bares.end());
    bench.Stack(100, floor, bares[bares.size() / 2]);
    bench.Cycles(100);
    delete form;
    return 0;
  });
}
