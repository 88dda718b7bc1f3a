#pragma once
// Owners of the platform's handles: each closes what it holds on every exit path, and moves but never
// copies. One owner per kind of handle, so the release call always matches the call that made it.
#include <windows.h>

#include <utility>

// Holds one handle of a kind described by Traits (its type, its empty value and how it is released).
template <class Traits> class TUniqueHandle {
public:
  using THandle = typename Traits::THandle;

  TUniqueHandle() = default;
  // Takes over a handle the caller owns (an empty or failed one is fine: it is simply not released).
  explicit TUniqueHandle(THandle handle) : FHandle(handle) {}
  TUniqueHandle(TUniqueHandle &&other) noexcept : FHandle(other.Release()) {}
  TUniqueHandle &operator=(TUniqueHandle &&other) noexcept {
    Reset(other.Release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle &) = delete;
  TUniqueHandle &operator=(const TUniqueHandle &) = delete;
  ~TUniqueHandle() { Reset(); }

  THandle Get() const { return FHandle; }
  bool Valid() const { return Traits::Valid(FHandle); }
  explicit operator bool() const { return Valid(); }

  // Releases what is held and takes handle instead.
  void Reset(THandle handle = Traits::Empty()) {
    THandle old = std::exchange(FHandle, handle);
    if (Traits::Valid(old))
      Traits::Close(old);
  }
  // Gives the handle up to the caller, who releases it from now on.
  THandle Release() { return std::exchange(FHandle, Traits::Empty()); }

private:
  THandle FHandle = Traits::Empty();
};

struct TKernelHandleTraits {
  using THandle = HANDLE;
  static HANDLE Empty() { return nullptr; }
  // Creation calls fail with either null or INVALID_HANDLE_VALUE, depending on the call.
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct TChangeHandleTraits {
  using THandle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindCloseChangeNotification(handle); }
};

struct TFindHandleTraits {
  using THandle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};

template <class T> struct TGdiObjectTraits {
  using THandle = T;
  static T Empty() { return nullptr; }
  static bool Valid(T handle) { return handle != nullptr; }
  static void Close(T handle) { DeleteObject(handle); }
};

struct TModuleTraits {
  using THandle = HMODULE;
  static HMODULE Empty() { return nullptr; }
  static bool Valid(HMODULE handle) { return handle != nullptr; }
  static void Close(HMODULE handle) { FreeLibrary(handle); }
};

struct TMenuTraits {
  using THandle = HMENU;
  static HMENU Empty() { return nullptr; }
  static bool Valid(HMENU handle) { return handle != nullptr; }
  static void Close(HMENU handle) { DestroyMenu(handle); }
};

struct TGlobalMemoryTraits {
  using THandle = HGLOBAL;
  static HGLOBAL Empty() { return nullptr; }
  static bool Valid(HGLOBAL handle) { return handle != nullptr; }
  static void Close(HGLOBAL handle) { GlobalFree(handle); }
};

struct TRegKeyTraits {
  using THandle = HKEY;
  static HKEY Empty() { return nullptr; }
  static bool Valid(HKEY handle) { return handle != nullptr; }
  static void Close(HKEY handle) { RegCloseKey(handle); }
};

// Events, mutexes, threads, files: closed with CloseHandle.
using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;
// A FindFirstChangeNotification handle: closed with FindCloseChangeNotification.
using TChangeHandle = TUniqueHandle<TChangeHandleTraits>;
// A FindFirstFile search: closed with FindClose.
using TFindHandle = TUniqueHandle<TFindHandleTraits>;
// A pen, brush, font or bitmap: deleted with DeleteObject (it must not be selected into a context then).
template <class T> using TGdiObject = TUniqueHandle<TGdiObjectTraits<T>>;
// A library loaded with LoadLibrary: freed with FreeLibrary.
using TModuleHandle = TUniqueHandle<TModuleTraits>;
// A menu made with CreateMenu or CreatePopupMenu (and its submenus): destroyed with DestroyMenu.
using TMenuHandle = TUniqueHandle<TMenuTraits>;
// A block from GlobalAlloc that nobody else owns yet: freed with GlobalFree unless released to a new owner
// (the clipboard, a medium handed to another program).
using TGlobalBlock = TUniqueHandle<TGlobalMemoryTraits>;
// A registry key opened with RegOpenKeyEx or RegCreateKeyEx: closed with RegCloseKey. Never give it a
// predefined root (HKEY_CURRENT_USER...), which is not ours to close.
using TRegKey = TUniqueHandle<TRegKeyTraits>;

// The bytes of a global block while the scope lasts (GlobalLock now, GlobalUnlock at the end); Data() is null
// and Size() 0 when the block cannot be locked. The block stays its owner's.
class TGlobalLock {
public:
  explicit TGlobalLock(HGLOBAL block)
      : FBlock(block), FData(block ? static_cast<BYTE *>(GlobalLock(block)) : nullptr) {}
  ~TGlobalLock() {
    if (FData)
      GlobalUnlock(FBlock);
  }
  TGlobalLock(const TGlobalLock &) = delete;
  TGlobalLock &operator=(const TGlobalLock &) = delete;

  BYTE *Data() const { return FData; }
  size_t Size() const { return FData ? GlobalSize(FBlock) : 0; }

private:
  HGLOBAL FBlock;
  BYTE *FData;
};

// The painting of one WM_PAINT: BeginPaint now, EndPaint when the scope ends.
class TPaintScope {
public:
  explicit TPaintScope(HWND wnd) : FWnd(wnd) { FDC = BeginPaint(wnd, &FPaint); }
  ~TPaintScope() { EndPaint(FWnd, &FPaint); }
  TPaintScope(const TPaintScope &) = delete;
  TPaintScope &operator=(const TPaintScope &) = delete;

  HDC DC() const { return FDC; }
  const PAINTSTRUCT &Paint() const { return FPaint; }

private:
  HWND FWnd;
  HDC FDC;
  PAINTSTRUCT FPaint;
};

// A window's (or, for null, the screen's) device context from GetDC, or with wholeWindow the one of the
// whole window, frame included (GetWindowDC); released when the scope ends.
class TWindowDC {
public:
  explicit TWindowDC(HWND wnd = nullptr, bool wholeWindow = false)
      : FWnd(wnd), FDC(wholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {}
  ~TWindowDC() {
    if (FDC)
      ReleaseDC(FWnd, FDC);
  }
  TWindowDC(const TWindowDC &) = delete;
  TWindowDC &operator=(const TWindowDC &) = delete;

  HDC DC() const { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
};
