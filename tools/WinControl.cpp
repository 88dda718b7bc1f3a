// wincontrol: what the scripts need to drive a program under Wine from Linux.
//   wincontrol wait CAPTION SECONDS   exit 0 once a visible top-level window with that caption exists
//   wincontrol close CAPTION          post WM_CLOSE to it (a normal close, not a kill)
//   wincontrol desktop                make sure the desktop window (and Wine's process behind it) exists
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND FindVisibleWindow(const std::string &caption) {
  struct Search {
    const std::string *caption;
    HWND found;
  } search{&caption, nullptr};
  EnumWindows(
      [](HWND wnd, LPARAM param) -> BOOL {
        auto *s = reinterpret_cast<Search *>(param);
        char text[512] = {};
        GetWindowTextA(wnd, text, sizeof text);
        if (IsWindowVisible(wnd) && *s->caption == text) {
          s->found = wnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Usage() {
  std::fprintf(stderr, "usage: wincontrol wait CAPTION SECONDS | wincontrol close CAPTION | wincontrol desktop\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && std::string(argv[1]) == "desktop")
    return GetDesktopWindow() ? 0 : 1;
  if (argc < 3)
    return Usage();
  std::string command = argv[1];
  std::string caption = argv[2];
  if (command == "wait" && argc == 4) {
    DWORD limit = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3])) * 1000;
    while (!FindVisibleWindow(caption)) {
      if (static_cast<LONG>(GetTickCount() - limit) > 0) {
        std::fprintf(stderr, "wincontrol: no window \"%s\" appeared\n", caption.c_str());
        return 1;
      }
      Sleep(100);
    }
    return 0;
  }
  if (command == "close" && argc == 3) {
    HWND wnd = FindVisibleWindow(caption);
    if (!wnd) {
      std::fprintf(stderr, "wincontrol: no window \"%s\"\n", caption.c_str());
      return 1;
    }
    return PostMessageA(wnd, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  return Usage();
}
