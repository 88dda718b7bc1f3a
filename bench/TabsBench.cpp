// What tabs cost and whether they give everything back. A tab opens on My Computer: its tree enumerates the
// desktop and My Computer, its list My Computer's items; the floor is those enumerations with every item's
// attributes and name. Opening 100 tabs and closing them again, and 100 single open-and-close cycles, must
// leave the kernel handles, USER and GDI objects where they were and the memory within 1 MB; the first and
// the last ten tabs of the stack are timed apart, so that a cost growing with the number of tabs shows.
// Under Wine the USER and GDI counts are probed from the handle tables and show only growth past the
// highest count seen: after the stack they stay where 100 open tabs took them, and the cycles tell a leak.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "app/MainFormUnit.h"
#include "common/ResourceCounters.h"
#include "shellns/UKdShell95.h"

using zorbench::NowMs;
using zorbench::Pump;
using zorbench::PumpUntil;

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

  void Stack(int count, double floor) {
    std::vector<double> opens, closes;
    Counts before = Counts::Now();
    for (int i = 0; i < count; ++i)
      opens.push_back(OpenTab());
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
    auto *form = TForm::Create<TFormMainExplorer>(nullptr);
    form->Show();
    Bench bench{form};
    PumpUntil([&] { return bench.NewestFilled(); }, 20000);
    const double floor = Floor();
    // Whatever is made once for the first few tabs (icons, fonts, classes) is made before the counts.
    for (int i = 0; i < 5; ++i) {
      bench.OpenTab();
      bench.CloseTab();
    }
    bench.Stack(100, floor);
    bench.Cycles(100);
    delete form;
    return 0;
  });
}
