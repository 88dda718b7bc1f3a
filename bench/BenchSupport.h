#pragma once
// Small helpers the benchmark programs share: a millisecond clock, message pumps, removing the folders they
// made, the columns of the platform's bare list views, and the rows that bench/run.sh gathers into its table.
#include <windows.h>

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>

namespace zorbench {

// One row of the table bench/run.sh prints after the runs: what was measured, the figure (a ratio with what it
// was taken from), its goal and whether the figure meets it. The line is for run.sh; people read the lines
// around it.
inline void ReportRow(const char *what, const std::string &figure, const char *goal, bool met) {
  std::printf("@row\t%s\t%s\t%s\t%s\n", what, figure.c_str(), goal, met ? "met" : "NOT MET");
  std::fflush(stdout);
}

// printf into a string, for the figures of ReportRow.
inline std::string Figure(const char *format, ...) {
  char text[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

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

// Gives a report list view of the platform's count columns of width pixels, as the bare windows that are
// measured beside ours have them.
inline void AddBareColumns(HWND list, int count, int width) {
  for (int i = 0; i < count; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<LPWSTR>(L"Column");
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

} // namespace zorbench
