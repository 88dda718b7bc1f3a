#pragma once
// A control's watches of folders on disk. The workers that wait for the changes (TChangeHandlerThread, up to 63
// folders each) are shared by every control of the program: a thread holds about a megabyte under Wine, and
// every tab has a tree and a list that watch. Each change in a folder a control watches posts the control's
// message (wParam: the slot of the worker that saw it) to the control's window.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class TChangeHandlerThread;

class TKdChangeWatch {
public:
  TKdChangeWatch(HWND owner, UINT message) : FOwner(owner), FMessage(message) {}
  // Ends the control's watches.
  ~TKdChangeWatch();
  TKdChangeWatch(const TKdChangeWatch &) = delete;
  TKdChangeWatch &operator=(const TKdChangeWatch &) = delete;

  // Watches path (with watchSubtree, all the folders below it too) for the FILE_NOTIFY_CHANGE_ kinds in
  // filter; false when the folder cannot be watched or no worker answers in time.
  bool Add(const std::string &path, DWORD filter, bool watchSubtree);
  // Ends every watch of the control; returns when the workers have let go of them.
  void RemoveAll();
  // How many watches the control holds.
  int Count() const;

private:
  HWND FOwner;
  UINT FMessage;
  // The workers that hold watches of this control, with how many each.
  std::vector<std::pair<TChangeHandlerThread *, int>> FHeld;
};

// Ends the shared workers. Only when no control watches any more (the unit's end).
void EndChangeWatchers();
