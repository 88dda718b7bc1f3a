// wincontrol: what the scripts need to drive a program under Wine from Linux.
//   wincontrol wait CAPTION SECONDS   exit 0 once a visible top-level window with that caption exists
//   wincontrol close CAPTION          post WM_CLOSE to it (a normal close, not a kill)
//   wincontrol desktop                make sure the desktop window (and Wine's process behind it) exists
//   wincontrol dump CAPTION           print what that window shows: a line "class<TAB>text" for each visible
//                                     window in it, and under a list view a line "<TAB>item<TAB>text" for each
//                                     of its items (UTF-8)
//   wincontrol shortcut LINK TARGET   make the shortcut LINK (a .lnk file) to TARGET
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

std::string Utf8(const wchar_t *text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size - 1 : 0, '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  return result;
}

// The arguments as given, whatever their script (main's are in the ANSI code page).
std::vector<std::wstring> WideArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  if (wchar_t **list = CommandLineToArgvW(GetCommandLineW(), &count)) {
    arguments.assign(list, list + count);
    LocalFree(list);
  }
  return arguments;
}

std::string TextOf(HWND wnd) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return Utf8(text);
}

// The items' texts of a list view in another process: the request and the text buffer must live in that
// process's memory, where the list view reads and writes them.
std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process)
    return items;
  struct Request {
    LVITEMW Item;
    wchar_t Text[1024];
  };
  auto *remote = static_cast<Request *>(VirtualAllocEx(process, nullptr, sizeof(Request), MEM_COMMIT, PAGE_READWRITE));
  LRESULT count = 0;
  SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, reinterpret_cast<PDWORD_PTR>(&count));
  for (LRESULT i = 0; remote && i < count; ++i) {
    Request local = {};
    local.Item.mask = LVIF_TEXT;
    local.Item.pszText = remote->Text;
    local.Item.cchTextMax = 1024;
    DWORD_PTR length = 0;
    if (!WriteProcessMemory(process, remote, &local.Item, sizeof local.Item, nullptr) ||
        !SendMessageTimeoutW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                             &length) ||
        !ReadProcessMemory(process, remote->Text, local.Text, sizeof local.Text - sizeof(wchar_t), nullptr))
      break;
    items.push_back(Utf8(local.Text));
  }
  if (remote)
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return items;
}

// The list view itself or a class made from it: Wine names the class a program registered where Windows names
// the base, so the toolkit's classes ("TListView") count by their name.
bool IsListView(HWND wnd) {
  wchar_t base[64] = {};
  RealGetWindowClassW(wnd, base, 64);
  std::wstring name = base;
  const std::wstring suffix = L"ListView";
  return name == WC_LISTVIEWW ||
         (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0);
}

int Dump(HWND top) {
  std::vector<HWND> children;
  EnumChildWindows(
      top,
      [](HWND child, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND> *>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (!IsWindowVisible(child))
      continue;
    wchar_t name[128] = {};
    GetClassNameW(child, name, 128);
    std::printf("%s\t%s\n", Utf8(name).c_str(), TextOf(child).c_str());
    if (IsListView(child))
      for (const std::string &item : ListItems(child))
        std::printf("\titem\t%s\n", item.c_str());
  }
  return 0;
}

int MakeShortcut() {
  std::vector<std::wstring> arguments = WideArguments();
  if (arguments.size() != 4 || FAILED(CoInitialize(nullptr)))
    return 1;
  IShellLinkW *shellLink = nullptr;
  IPersistFile *file = nullptr;
  bool made = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void **>(&shellLink))) &&
              SUCCEEDED(shellLink->SetPath(arguments[3].c_str())) &&
              SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) &&
              SUCCEEDED(file->Save(arguments[2].c_str(), TRUE));
  if (file)
    file->Release();
  if (shellLink)
    shellLink->Release();
  CoUninitialize();
  return made ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr, "usage: wincontrol wait CAPTION SECONDS | close CAPTION | desktop | dump CAPTION | "
                       "shortcut LINK TARGET\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && std::string(argv[1]) == "desktop")
    return GetDesktopWindow() ? 0 : 1;
  if (argc == 4 && std::string(argv[1]) == "shortcut")
    return MakeShortcut();
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
  if (command == "dump" && argc == 3) {
    HWND wnd = FindVisibleWindow(caption);
    if (!wnd) {
      std::fprintf(stderr, "wincontrol: no window \"%s\"\n", caption.c_str());
      return 1;
    }
    return Dump(wnd);
  }
  return Usage();
}
