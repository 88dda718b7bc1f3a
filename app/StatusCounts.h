#pragma once
// The counts of the status line, beside the drive text: how many rows the active tab's list shows ("N
// items", "1 item"; with its name filter "K of N items shown"), and with a selection "K selected" followed,
// when files are among them, by their total size as the list's size column writes sizes ("3 selected,
// 1,206 KB").
// Inactive tabs never touch it. A list tells of its fills, refreshes, filter and selection changes as they
// happen, often many at once (a filter change re-selects row by row); the text is counted once the messages
// already waiting have been handled.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

struct TExplorerTab;
class TKdCustomShellList;
class TLabel;
class TWinControl;

// What the counts say of a list.
struct TListCounts {
  int Shown = 0;
  int Total = 0;
  bool Filtered = false;
  int Selected = 0;
  int FilesSelected = 0;
  uint64_t SelectedBytes = 0;
  // SelectedBytes as the list's size column writes sizes.
  std::string SizeText;
};

TListCounts CountList(TKdCustomShellList &list);
std::string CountsText(const TListCounts &counts);

class TStatusCounts {
public:
  // The counts label goes into panel, to the right of driveLabel; activeTab names the tab shown.
  TStatusCounts(TWinControl *panel, TLabel *driveLabel, std::function<TExplorerTab *()> activeTab);
  ~TStatusCounts();
  TStatusCounts(const TStatusCounts &) = delete;
  TStatusCounts &operator=(const TStatusCounts &) = delete;

  // Something the counts of tab's list depend on changed: counted soon when tab is the active one.
  void Changed(TExplorerTab *tab);
  // Counts the active tab's list now (another tab became active, the drive text changed).
  void Update();
  std::string Text() const;
  TLabel *Label() const { return FLabel; }

private:
  LRESULT Message(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  TLabel *FLabel;
  TLabel *FDriveLabel;
  std::function<TExplorerTab *()> FActiveTab;
  HWND FWindow = nullptr;
  bool FPosted = false;
};
