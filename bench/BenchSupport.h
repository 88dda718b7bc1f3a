#pragma once
// Small helpers the benchmark programs share: a millisecond clock, message pumps and removing the folders they
// made.
#include <windows.h>

#include <functional>
#include <string>

namespace zorbench {

inline double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

// Dispatches the messages waiting.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Dispatches messages until done() holds (true) or limitMs pass (false).
inline bool PumpUntil(const std::function<bool()> &done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs)
      return false;
    Pump();
    if (!done())
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void RemoveFolder(const std::string &path);

inline void RemoveFolderContents(const std::string &path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..")
      continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveFolder(path + "\\" + name);
    else
      DeleteFileA((path + "\\" + name).c_str());
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

inline void RemoveFolder(const std::string &path) {
  RemoveFolderContents(path);
  RemoveDirectoryA(path.c_str());
}

} // namespace zorbench
