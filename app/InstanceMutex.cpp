#include "app/InstanceMutex.h"

TInstanceMutex::~TInstanceMutex() {
  if (FHandle)
    CloseHandle(FHandle);
}

int TInstanceMutex::Claim(const std::string &baseName, std::vector<HANDLE> *keptOpen) {
  FHandle = nullptr;
  FNumber = 0;
  for (;;) {
    ++FNumber;
    std::string name = baseName + std::to_string(FNumber);
    FHandle = CreateMutexA(nullptr, TRUE, name.c_str());
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
    if (keptOpen && FHandle)
      keptOpen->push_back(FHandle);
  }
  return FNumber;
}
