#include "WindowPicture.h"

#include <cstdio>
#include <memory>

namespace zortest {

namespace {

// A top-down 32-bit bitmap selected into a memory DC for as long as it lives.
class TBitmapSurface {
public:
  TBitmapSurface(int width, int height) : FWidth(width), FHeight(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    FDc = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDc, &info, DIB_RGB_COLORS, &FBits, nullptr, 0);
    FOld = SelectObject(FDc, FBitmap);
  }
  ~TBitmapSurface() {
    SelectObject(FDc, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDc);
  }
  TBitmapSurface(const TBitmapSurface &) = delete;
  TBitmapSurface &operator=(const TBitmapSurface &) = delete;

  HDC Dc() const { return FDc; }

  TPicture Picture() const {
    GdiFlush();
    TPicture picture;
    picture.Width = FWidth;
    picture.Height = FHeight;
    picture.Pixels.resize(static_cast<size_t>(FWidth) * FHeight);
    const auto *bits = static_cast<const uint32_t *>(FBits);
    for (size_t i = 0; i < picture.Pixels.size(); ++i) {
      uint32_t p = bits[i];
      picture.Pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    return picture;
  }

private:
  int FWidth;
  int FHeight;
  HDC FDc = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  void *FBits = nullptr;
};

} // namespace

TPicture PrintWindowPicture(HWND wnd, LPARAM flags, int width, int height, COLORREF background) {
  TBitmapSurface surface(width, height);
  HBRUSH brush = CreateSolidBrush(background);
  RECT all = {0, 0, width, height};
  FillRect(surface.Dc(), &all, brush);
  DeleteObject(brush);
  SendMessageA(wnd, WM_PRINT, reinterpret_cast<WPARAM>(surface.Dc()), flags);
  return surface.Picture();
}

TPicture ShownWindowPicture(HWND wnd) {
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect;
  GetWindowRect(wnd, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  TBitmapSurface surface(width, height);
  HDC dc = GetWindowDC(wnd);
  BitBlt(surface.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  return surface.Picture();
}

bool TPicture::SaveBmp(const std::string &path) const {
  int stride = (Width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = Width;
  info.biHeight = Height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * Height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::unique_ptr<FILE, int (*)(FILE *)> out(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!out)
    return false;
  std::fwrite(&file, sizeof file, 1, out.get());
  std::fwrite(&info, sizeof info, 1, out.get());
  std::vector<uint8_t> row(static_cast<size_t>(stride));
  // Bottom-up rows of blue, green, red.
  for (int y = Height - 1; y >= 0; --y) {
    for (int x = 0; x < Width; ++x) {
      COLORREF c = At(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
    if (std::fwrite(row.data(), 1, row.size(), out.get()) != row.size())
      return false;
  }
  return true;
}

} // namespace zortest
