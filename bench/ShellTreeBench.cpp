// What the shell tree costs beyond the enumeration it cannot avoid. Each figure is a ratio against a floor
// measured in the same run on the same folders: opening a folder of many subfolders against enumerating it
// with every child's attributes and in-folder name (what a node needs) plus a bare tree view control of the
// platform's own inserting and opening as many items, walking 20 levels down against enumerating the 20
// folders on the way, and refreshing after one change against enumerating every loaded folder once more. The
// memory the tree's own allocations hold for a node is counted at 10,000 nodes.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchAllocations.h"
#include "BenchApplication.h"
#include "BenchSupport.h"
#include "Sampler.h"
#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/SysUtils.h"

using zorbench::Figure;
using zorbench::NowMs;
using zorbench::OwnBytes;
using zorbench::RemoveFolder;
using zorbench::ReportRow;
using zorbench::TSampler;

namespace {

// The time work takes.
std::function<double()> Timed(std::function<void()> work) {
  return [work = std::move(work)] {
    double start = NowMs();
    work();
    return NowMs() - start;
  };
}

// The best of several rounds of each of works (each times itself, leaving out its preparation): the least
// disturbed by the other work on a shared machine. They take turns, one run each a round, so that a floor
// and what is measured against it meet the same state of the machine and its file caches.
std::vector<double> BestInTurns(int rounds, const std::vector<std::function<double()>> &works) {
  std::vector<double> best(works.size(), 1e300);
  for (int round = 0; round < rounds; ++round)
    for (size_t i = 0; i < works.size(); ++i)
      best[i] = std::min(best[i], works[i]());
  return best;
}

void MakeSubfolders(const std::string &path, int count, const char *format = "\\folder %05d") {
  CreateDirectoryA(path.c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    char name[32];
    snprintf(name, sizeof name, format, (i * 7919) % count);
    CreateDirectoryA((path + name).c_str(), nullptr);
  }
}

TKdIdListPtr Parse(const std::string &path) {
  TKdIdListPtr list;
  ParseDisplayNameToIdList(path, list);
  return list;
}

ComPtr<IShellFolder> Bind(const std::string &path) {
  TKdIdListPtr list = Parse(path);
  ComPtr<IShellFolder> folder;
  BindToShellFolder(list.get(), folder);
  return folder;
}

std::vector<ComPtr<IShellFolder>> BindAll(const std::vector<std::string> &paths) {
  std::vector<ComPtr<IShellFolder>> folders;
  for (const std::string &path : paths)
    folders.push_back(Bind(path));
  return folders;
}

// What any tree must do for a folder it shows: enumerate it, and (withNodes) ask every child's attributes
// and in-folder name. The folder is bound beforehand, as the tree keeps its folders bound.
void EnumerateFolder(IShellFolder *folder, bool withNodes) {
  ComPtr<IEnumIDList> enumerator;
  if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, enumerator.Put())) || !enumerator)
    return;
  TKdIdListPtr owned;
  while (enumerator->Next(1, PidlOut(owned), nullptr) == S_OK) {
    if (!withNodes)
      continue;
    SFGAOF attributes = 0xF24B0000;
    LPCITEMIDLIST items[] = {owned.get()};
    folder->GetAttributesOf(1, items, &attributes);
    GetItemDisplayName(folder, owned.get(), dnInFolder);
  }
}

TTreeNode *Child(TTreeNode *parent, const std::string &text) {
  for (TTreeNode *child = parent->GetFirstChild(); child; child = child->GetNextSibling())
    if (child->Text() == text)
      return child;
  return nullptr;
}

struct Bench {
  std::string Root;
  std::unique_ptr<TForm> Form;
  TKdShellTree *Tree = nullptr;

  explicit Bench(std::string root) : Root(std::move(root)) {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 300, 600);
    Tree = new TKdShellTree(Form.get());
    Tree->SetOptions(kdDefaultShellTreeOptions - kdstoDynamicRefresh - kdstoAutoFill);
    Tree->BaseFolder().SetPath(Root);
    Tree->SetParent(Form.get());
    Tree->SetAlign(alClient);
    Form->Show();
  }

  void Line(const char *what, double floor, double measured) {
    printf("%-46s floor %8.1f ms   tree %8.1f ms   ratio %5.2f\n", what, floor, measured, measured / floor);
  }

  // A tree view control of the platform's own inserting count items with their texts under one and opening it:
  // what the control itself costs a shell tree that shows as many nodes. The item opened sits below the top, as
  // the tree's folder does under its root: the control then scrolls it up to show as many of its items as fit.
  double BareControl(int count) {
    HWND wnd = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES, 0, 0, 300,
                               600, Form->Handle(), nullptr, nullptr, nullptr);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.cChildren = 1;
    insert.item.pszText = const_cast<LPWSTR>(L"top");
    auto top = reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    insert.hParent = top;
    insert.item.pszText = const_cast<LPWSTR>(L"root");
    auto root = reinterpret_cast<HTREEITEM>(SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    SendMessageW(wnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    insert.hParent = root;
    double start = NowMs();
    for (int i = 0; i < count; ++i) {
      wchar_t text[32];
      swprintf(text, 32, L"folder %05d", i);
      insert.item.pszText = text;
      SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageW(wnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    double elapsed = NowMs() - start;
    DestroyWindow(wnd);
    return elapsed;
  }

  void Expansion(int count) {
    std::string big = Root + "\\big" + std::to_string(count);
    MakeSubfolders(big, count);
    ComPtr<IShellFolder> folder = Bind(big);
    double paint = 1e300, fill = 1e300;
    double nodeBytes = 0;
    auto openInTree = [&] {
      Tree->FillTree();
      Form->Update();
      TTreeNode *node = Child(Tree->FirstShellNode(), "big" + std::to_string(count));
      double fillStart = 0, fillEnd = 0;
      Tree->OnFillStart = [&](TObject *) { fillStart = NowMs(); };
      Tree->OnFillComplete = [&](TObject *) { fillEnd = NowMs(); };
      const int64_t ownBefore = OwnBytes();
      std::optional<TSampler> sampler(std::in_place, count == 10000 ? "open 10,000" : "open");
      double start = NowMs();
      node->Expand(false);
      double expanded = NowMs();
      sampler.reset();
      nodeBytes = static_cast<double>(OwnBytes() - ownBefore) / count;
      Tree->OnFillStart = nullptr;
      Tree->OnFillComplete = nullptr;
      fill = std::min(fill, fillEnd - fillStart);
      Form->Update();
      paint = std::min(paint, NowMs() - expanded);
      return expanded - start;
    };
    const std::vector<double> best = BestInTurns(3, {Timed([&] { EnumerateFolder(folder.Get(), false); }),
                                                     Timed([&] { EnumerateFolder(folder.Get(), true); }),
                                                     [&] { return BareControl(count); }, openInTree});
    const double bare = best[0], floor = best[1], control = best[2], tree = best[3];
    // The shell's ID lists of the nodes, which the shell allocated for them.
    double listBytes = 0;
    TTreeNode *node = Child(Tree->FirstShellNode(), "big" + std::to_string(count));
    for (TTreeNode *child = node ? node->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
      if (TKdShTreeData *data = TKdCustomShellTree::ShellData(child))
        listBytes += IdListSize(data->RelIdList());
    listBytes /= count;
    char what[64];
    snprintf(what, sizeof what, "open a folder of %d subfolders", count);
    Line(what, floor + control, tree);
    printf("  floor: %.1f ms enumerating, %.1f ms attributes and names, %.1f ms a bare tree view control inserting\n"
           "  and opening as many items; %.1f us a subfolder in the tree\n",
           bare, floor - bare, control, 1000.0 * tree / count);
    printf("  of which enumerating and adding the nodes (sorted): %.1f ms, ratio %.2f against the enumeration; the\n"
           "  control's own expansion of them the rest\n",
           fill, fill / floor);
    printf("  then the first paint: %.1f ms (the icons of the nodes in view)\n", paint);
    printf("  memory: %.0f bytes a node of our own allocations, %.0f bytes a node of ID lists from the shell\n",
           nodeBytes, listBytes);
    if (count == 10000) {
      const double ratio = tree / (floor + control);
      ReportRow("tree: open a folder of 10,000 subfolders",
                Figure("%.2fx (%.1f ms against %.1f ms + %.1f ms of the bare control)", ratio, tree, floor, control),
                "<= 1.25x", ratio <= 1.25);
      ReportRow("tree: own memory per node at 10,000 nodes",
                Figure("%.0f bytes (+ %.0f bytes of the shell's ID lists)", nodeBytes, listBytes), "stated", true);
    }
    RemoveFolder(big);
  }

  void DeepWalk(int levels, int siblings) {
    std::string path = Root + "\\deep";
    std::vector<std::string> folders;
    for (int i = 0; i < levels; ++i) {
      MakeSubfolders(path, siblings, "\\f%03d");
      folders.push_back(path);
      path += "\\f000";
    }
    CreateDirectoryA(path.c_str(), nullptr);
    TKdIdListPtr target = Parse(path);
    // The tree also enumerates its root on the way.
    // Each folder on the way is bound from its parent and enumerated: the least a walk must do.
    std::vector<TKdIdListPtr> steps;
    for (const std::string &folder : folders) {
      TKdIdListPtr full = Parse(folder);
      TKdIdListArray items(full.get());
      steps.emplace_back(IdListCopy(items.GetItem(items.Count() - 1)));
    }
    ComPtr<IShellFolder> root = Bind(Root);
    auto walkFloor = Timed([&] {
      ComPtr<IShellFolder> current = root;
      EnumerateFolder(current.Get(), true);
      for (const TKdIdListPtr &step : steps) {
        ComPtr<IShellFolder> next;
        current->BindToObject(step.get(), nullptr, IID_IShellFolder, next.PutVoid());
        current = next;
        EnumerateFolder(current.Get(), true);
      }
    });
    // From a tree that shows its root, as when a path is typed.
    auto walk = [&] {
      Tree->CurrentFolder().Clear();
      Tree->FillTree();
      Form->Update();
      double start = NowMs();
      Tree->SelectIdList(target.get());
      return NowMs() - start;
    };
    const std::vector<double> best = BestInTurns(3, {walkFloor, walk});
    const double floor = best[0], tree = best[1];
    if (Tree->GetSelectedPath() != path)
      printf("  the walk did not arrive: %s\n", Tree->GetSelectedPath().c_str());
    char what[64];
    snprintf(what, sizeof what, "walk %d levels (%d subfolders each)", levels + 1, siblings);
    Line(what, floor, tree);
    ReportRow("tree: walk 20 levels deep to a typed path",
              Figure("%.2fx (%.1f ms against %.1f ms)", tree / floor, tree, floor), "<= 4x", tree / floor <= 4);
    RemoveFolder(Root + "\\deep");
  }

  // What the last refresh cost beyond its floor: with node work that follows the changes, about the same
  // whatever the number of nodes loaded.
  double LastBeyondFloor = 0;
  int LastNodes = 0;

  void Refresh(int folders, int each) {
    std::string base = Root + "\\loaded";
    CreateDirectoryA(base.c_str(), nullptr);
    std::vector<std::string> loaded{base};
    for (int i = 0; i < folders; ++i) {
      char name[32];
      snprintf(name, sizeof name, "\\group %02d", i);
      MakeSubfolders(base + name, each);
      loaded.push_back(base + name);
    }
    Tree->FillTree();
    TTreeNode *top = Child(Tree->FirstShellNode(), "loaded");
    top->Expand(false);
    for (TTreeNode *group = top->GetFirstChild(); group; group = group->GetNextSibling())
      group->Expand(false);
    int nodes = Tree->Items().Count();
    // The floor enumerates every loaded folder after the same kind of change, and asks the changed folder's
    // items for their attributes and names (the new one must show).
    std::vector<ComPtr<IShellFolder>> bound = BindAll(loaded);
    int round = 0;
    // The floor's change is taken back after it, so that each refresh of the tree meets one change only.
    auto refreshFloor = [&] {
      const std::string added = base + "\\group 04\\new " + std::to_string(round++);
      CreateDirectoryA(added.c_str(), nullptr);
      double start = NowMs();
      for (size_t i = 0; i < bound.size(); ++i)
        EnumerateFolder(bound[i].Get(), i == 5);
      double elapsed = NowMs() - start;
      RemoveDirectoryA(added.c_str());
      return elapsed;
    };
    auto refresh = [&] {
      // One change before each refresh: a folder comes into one group.
      CreateDirectoryA((base + "\\group 03\\new " + std::to_string(round++)).c_str(), nullptr);
      double start = NowMs();
      Tree->RefreshNodes();
      return NowMs() - start;
    };
    const std::vector<double> best = BestInTurns(5, {refreshFloor, refresh});
    const double floor = best[0], tree = best[1];
    char what[80];
    snprintf(what, sizeof what, "refresh %d loaded nodes after one change", nodes);
    Line(what, floor, tree);
    printf("  beyond the floor: %.1f ms (with %d nodes loaded: %.1f ms)\n", tree - floor, LastNodes, LastBeyondFloor);
    if (folders == 10)
      ReportRow("tree: refresh 1,012 loaded nodes after one change",
                Figure("%.2fx (%.1f ms against %.1f ms; beyond the floor %.1f ms, with %d nodes %.1f ms)", tree / floor,
                       tree, floor, tree - floor, LastNodes, LastBeyondFloor),
                "<= 2x", tree / floor <= 2);
    LastBeyondFloor = tree - floor;
    LastNodes = nodes;
    RemoveFolder(base);
  }
};

} // namespace

int main() {
  return zorbench::RunInApplication([] {
    // The wide call: a temp path of MAX_PATH characters can take three times as many bytes in UTF-8.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::string root = WideToUtf8(temp) + "zor-treebench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    {
      Bench bench(root);
      bench.Expansion(2500);
      bench.Expansion(10000);
      bench.DeepWalk(19, 50);
      bench.Refresh(5, 50);
      bench.Refresh(10, 100);
    }
    RemoveFolder(root);
    return 0;
  });
}
