#pragma once
// What the tests read of a shell tree: the texts of a node's children, a child by its text, a node's path.
#include <string>
#include <vector>

#include "shellctrls/UKdShellControls.h"

namespace zortest {

inline std::vector<std::string> Texts(TTreeNode *parent) {
  std::vector<std::string> texts;
  for (TTreeNode *child = parent->GetFirstChild(); child; child = child->GetNextSibling())
    texts.push_back(child->Text());
  return texts;
}

inline TTreeNode *Child(TTreeNode *parent, const std::string &text) {
  for (TTreeNode *child = parent->GetFirstChild(); child; child = child->GetNextSibling())
    if (child->Text() == text)
      return child;
  return nullptr;
}

inline std::string PathOf(TTreeNode *node) {
  TKdShTreeData *data = TKdCustomShellTree::ShellData(node);
  return data ? data->GetPath() : "(no shell node)";
}

} // namespace zortest
