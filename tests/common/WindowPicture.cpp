#include "common/WindowPicture.h"

#include <cstdio>
#include <functional>
#include <memory>

namespace zortest {

namespace {

// Hands draw a top-down 32-bit bitmap (pixels 0x00RRGGBB) of that size and returns what it holds.
TPicture Capture(int width, int height, const std::function<void(HDC)> &draw) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  GdiFlush();
  TPicture picture{width, height, std::vector<COLORREF>(static_cast<size_t>(width) * height)};
  for (size_t i = 0; i < picture.Pixels.size(); ++i) {
    uint32_t p = static_cast<const uint32_t *>(bits)[i];
    picture.Pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return picture;
}

} // namespace

TPicture DrawnOnWhite(int width, int height, const std::function<void(HDC)> &draw) {
  return Capture(width, height, [&](HDC dc) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc);
  });
}

TPicture PrintWindowPicture(HWND wnd, LPARAM flags, int width, int height, COLORREF background) {
  return Capture(width, height, [&](HDC dc) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SendMessageA(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
  });
}

TPicture ShownWindowPicture(HWND wnd) {
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r;
  GetWindowRect(wnd, &r);
  return Capture(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
    HDC window = GetWindowDC(wnd);
    BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, window, 0, 0, SRCCOPY);
    ReleaseDC(wnd, window);
  });
}

TPicture ScreenPicture(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return Capture(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
}

bool TPicture::SaveBmp(const std::string &path) const {
  BITMAPINFOHEADER info = {sizeof info, Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
  BITMAPFILEHEADER file = {0x4D42, offset + static_cast<DWORD>(Pixels.size() * 4), 0, 0, offset};
  std::vector<uint32_t> bgra(Pixels.size());
  for (size_t i = 0; i < Pixels.size(); ++i)
    bgra[i] = GetRValue(Pixels[i]) << 16 | GetGValue(Pixels[i]) << 8 | GetBValue(Pixels[i]);
  std::unique_ptr<FILE, int (*)(FILE *)> out(std::fopen(path.c_str(), "wb"), std::fclose);
  return out && std::fwrite(&file, sizeof file, 1, out.get()) == 1 &&
         std::fwrite(&info, sizeof info, 1, out.get()) == 1 &&
         std::fwrite(bgra.data(), 4, bgra.size(), out.get()) == bgra.size();
}

} // namespace zortest
