#pragma once
// The instance number of a running copy: the first N for which the named mutex BaseName + N is new.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Handles.h"

// Name the program's instance mutexes start with.
inline constexpr const char *InstanceMutexBaseName = "ZorExplorer";

class TInstanceMutex {
public:
  // Closes the mutex the copy created when it goes; the names probed on the way stay open until the
  // process ends.
  TInstanceMutex() = default;
  TInstanceMutex(const TInstanceMutex &) = delete;
  TInstanceMutex &operator=(const TInstanceMutex &) = delete;

  // Creates baseName + "1", baseName + "2", ... (owned by the calling thread) until one did not exist
  // yet, or until a creation fails for another reason; returns that number. The handles of the names that
  // already existed are not closed: they keep those names in use while this copy runs, so a later copy
  // numbers itself above this one. keptOpen, when given, receives them (a test ends a copy by closing them).
  int Claim(const std::string &baseName, std::vector<HANDLE> *keptOpen = nullptr);

  // The mutex created by Claim; null when the last creation failed.
  HANDLE Handle() const { return FHandle.Get(); }
  int Number() const { return FNumber; }

private:
  TKernelHandle FHandle;
  int FNumber = 0;
};
