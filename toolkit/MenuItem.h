#pragma once
// One entry of a menu: a command, a separator ("-") or a submenu holding further items. Items keep the
// platform menu they show in current as their captions, states and children change.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Handles.h"

class TMenu;

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent *AOwner);
  // Leaves its parent item and destroys its own items.
  ~TMenuItem() override;

  // "&" marks the access key; "-" makes a separator.
  const std::string &Caption() const { return FCaption; }
  void SetCaption(const std::string &value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool IsLine() const { return FCaption == "-"; }

  // The command number the item carries in WM_COMMAND (unique in the process).
  UINT Command() const { return FCommand; }

  TMenuItem *Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem *Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  int IndexOf(const TMenuItem *item) const;
  void Add(TMenuItem *item);
  void Insert(int index, TMenuItem *item);
  void Remove(TMenuItem *item);
  // The menu (main or popup) the item belongs to, through its parents.
  TMenu *GetParentMenu() const;

  // The platform menu holding this item's children, built on first use.
  HMENU Handle();

  // Runs OnClick (when the item is enabled).
  virtual void Click();

  // Runs the Click of the item with this command number; false when no item has it.
  static bool DispatchCommand(UINT command);
  static TMenuItem *FindCommand(UINT command);

  TNotifyEvent OnClick;

private:
  friend class TMenu;

  void RebuildHandle();
  void Changed();

  std::string FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  UINT FCommand = 0;
  TMenuItem *FParent = nullptr;
  std::vector<TMenuItem *> FItems;
  TMenuHandle FHandle;
  TMenu *FMenu = nullptr;
  bool FMenuBar = false;
};
