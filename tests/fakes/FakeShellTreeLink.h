#pragma once
// The shell tree as the shell list sees it through its link, for the list's side of the link while the
// tree is built elsewhere: it records what the list asks of it and names the folders of chosen nodes.
#include <windows.h>

#include <shlobj.h>

#include <map>
#include <vector>

#include "shellctrls/KdShellLocator.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellns/IdList.h"
#include "toolkit/Component.h"

namespace zortest {

class FakeShellTreeLink : public TComponent, public IKdShellTreeLink {
public:
  explicit FakeShellTreeLink(TComponent *owner) : TComponent(owner) {}

  TComponent *LinkComponent() override { return this; }
  void SelectIdList(LPCITEMIDLIST absIdList) override {
    Selected.emplace_back(absIdList ? IdListCopy(absIdList) : nullptr);
  }
  TKdShellLocator &CurrentFolder() override { return Folder; }
  void GoUp(int levels) override { WentUp.push_back(levels); }
  void FlushChange() override { ++Flushes; }
  bool AbsIdListOf(TTreeNode *node, LPCITEMIDLIST &absIdList) override {
    auto found = Nodes.find(node);
    if (found == Nodes.end())
      return false;
    absIdList = found->second.get();
    return true;
  }

  // The lists SelectIdList was asked for, the levels of GoUp, the number of FlushChange calls.
  std::vector<TKdIdListPtr> Selected;
  std::vector<int> WentUp;
  int Flushes = 0;
  TKdShellLocator Folder;
  // The shell nodes and their folders.
  std::map<TTreeNode *, TKdIdListPtr> Nodes;
};

} // namespace zortest
