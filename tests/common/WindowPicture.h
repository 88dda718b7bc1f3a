#pragma once
// Pictures of windows for pixel checks, as COLORREF values: what a window prints (WM_PRINT) or what it shows
// (read back from its window DC, frame included).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zortest {

struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels;

  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  // Writes a 32-bit BMP file; false when it cannot.
  bool SaveBmp(const std::string &path) const;
};

// What draw puts on a width x height bitmap first filled with white.
TPicture DrawnOnWhite(int width, int height, const std::function<void(HDC)> &draw);
// The window draws on a width x height bitmap first filled with background.
TPicture PrintWindowPicture(HWND wnd, LPARAM flags, int width, int height, COLORREF background);
// Once the window and its children have painted everything.
TPicture ShownWindowPicture(HWND wnd);
// What the screen shows where the window is, as the user sees it now: nothing is drawn anew for the picture.
TPicture ScreenPicture(HWND wnd);

} // namespace zortest
