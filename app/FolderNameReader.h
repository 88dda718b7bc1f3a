#pragma once
// Reads the names of a folder's subfolders on a thread of its own, so that a folder of a hundred thousand
// entries, a slow network share or a drive without a medium never holds the user-interface thread. One
// folder at a time: a new request abandons a read still running for another folder. Each finished read is
// announced by a message posted to a window; the listing is then taken on that window's thread.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/Thread.h"

struct TFolderName {
  std::wstring Name;
  // The name upper-cased across scripts: what typed text is compared with.
  std::wstring Key;
  bool Hidden;
};

struct TFolderListing {
  // The folder as requested.
  std::wstring Folder;
  // By Key, in ordinal order, so that the names that start with a text are one run.
  std::vector<TFolderName> Names;
  // False when the folder could not be read at all (it names nothing, its drive is not ready).
  bool Read = false;
};

class TFolderNameReader : private TThread {
public:
  // Posts message to window (with wParam 0 and lParam 0) after each finished read.
  TFolderNameReader(HWND window, UINT message);
  // Abandons the read that runs and waits for the thread.
  ~TFolderNameReader() override;

  // Reads folder ("C:\dir", a trailing backslash or not) instead of anything not yet finished.
  void Request(const std::wstring &folder);
  // The listing a posted message announced; false when there is none (a later request replaced it).
  bool TakeListing(TFolderListing &listing);
  // Where the message goes from now on (the window was made again).
  void SetWindow(HWND window) { FWindow = window; }

  // Upper-cases text as names are compared.
  static std::wstring KeyOf(const std::wstring &text);

private:
  void Execute() override;
  // Reads folder; false when a newer request (or the end) came first.
  bool Read(const std::wstring &folder, uint64_t generation, TFolderListing &listing);

  std::atomic<HWND> FWindow;
  const UINT FMessage;
  std::mutex FLock;
  std::condition_variable FWake;
  // Guarded by FLock.
  std::wstring FRequested;
  bool FPending = false;
  std::unique_ptr<TFolderListing> FDone;
  // Counted up by every request, so that a running read sees that it is no longer wanted.
  std::atomic<uint64_t> FGeneration{0};
};
