#include "toolkit/Dpi.h"

#include "toolkit/Handles.h"
#include "toolkit/SystemLibrary.h"

namespace {

// Looked up rather than imported: the program still starts on systems that lack them.
template <class F> F User32Export(const char *name) { return ProcAddress<F>(GetModuleHandleW(L"user32.dll"), name); }

int ValidOrDefault(int ppi) { return ppi > 0 ? ppi : DefaultPixelsPerInch; }

} // namespace

int ScaleValue(int value, int ppi) {
  if (ppi == DefaultPixelsPerInch)
    return value;
  return MulDiv(value, ppi, DefaultPixelsPerInch);
}

int SystemPixelsPerInch() {
  static const int ppi = [] {
    if (auto forSystem = User32Export<UINT(WINAPI *)()>("GetDpiForSystem"))
      return ValidOrDefault(static_cast<int>(forSystem()));
    TWindowDC screen;
    return ValidOrDefault(screen.DC() ? GetDeviceCaps(screen.DC(), LOGPIXELSY) : 0);
  }();
  return ppi;
}

int WindowPixelsPerInch(HWND wnd) {
  static const auto forWindow = User32Export<UINT(WINAPI *)(HWND)>("GetDpiForWindow");
  if (wnd && forWindow)
    if (int ppi = static_cast<int>(forWindow(wnd)); ppi > 0)
      return ppi;
  return SystemPixelsPerInch();
}

int ScreenWidthAt96() { return MulDiv(GetSystemMetrics(SM_CXSCREEN), DefaultPixelsPerInch, SystemPixelsPerInch()); }

void SetProcessPerMonitorDpiAware() {
  // Access denied: the manifest has set the awareness already. Any other failure: the system does not know
  // that kind of awareness, and the next older one is asked for.
  if (auto setContext = User32Export<BOOL(WINAPI *)(DPI_AWARENESS_CONTEXT)>("SetProcessDpiAwarenessContext")) {
    for (DPI_AWARENESS_CONTEXT context :
         {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE})
      if (setContext(context) || GetLastError() == ERROR_ACCESS_DENIED)
        return;
  }
  // Windows 8.1 and Windows 10 before its contexts: the shell core's per-monitor awareness (2).
  if (TModuleHandle shcore{LoadSystemLibrary(L"shcore.dll")}) {
    if (auto setAwareness = ProcAddress<HRESULT(WINAPI *)(int)>(shcore.Get(), "SetProcessDpiAwareness")) {
      HRESULT result = setAwareness(2);
      if (SUCCEEDED(result) || result == E_ACCESSDENIED)
        return;
    }
  }
  if (auto setAware = User32Export<BOOL(WINAPI *)()>("SetProcessDPIAware"))
    setAware();
}
