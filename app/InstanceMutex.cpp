#include "app/InstanceMutex.h"

int TInstanceMutex::Claim(const std::string &baseName, std::vector<HANDLE> *keptOpen) {
  FHandle.Reset();
  FNumber = 0;
  for (;;) {
    ++FNumber;
    std::string name = baseName + std::to_string(FNumber);
    HANDLE handle = CreateMutexA(nullptr, TRUE, name.c_str());
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      FHandle.Reset(handle);
      break;
    }
    // Left open on purpose: it keeps that name taken while this copy runs.
    if (keptOpen && handle)
      keptOpen->push_back(handle);
  }
  return FNumber;
}
