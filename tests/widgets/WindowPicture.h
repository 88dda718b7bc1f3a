#pragma once
// Pictures of windows for pixel checks: what a window prints (WM_PRINT) or shows (its window DC), as
// COLORREF values.
#include <windows.h>

#include <string>
#include <vector>

namespace zortest {

struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels;

  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  // Writes a 24-bit BMP file; false when it cannot.
  bool SaveBmp(const std::string &path) const;
};

// Sends WM_PRINT with flags to the window, which draws on a width x height bitmap first filled with
// background.
TPicture PrintWindowPicture(HWND wnd, LPARAM flags, int width, int height, COLORREF background);
// Copies what the window shows (frame included) from its window DC, after it has painted everything.
TPicture ShownWindowPicture(HWND wnd);

} // namespace zortest
