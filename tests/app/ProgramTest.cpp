// The program itself: copies of ZorExplorer.exe started side by side number themselves and end cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "shellns/WineHost.h"
#include "toolkit/SysUtils.h"

namespace {

struct RunningCopy {
  PROCESS_INFORMATION Process = {};
  HWND Window = nullptr;

  // Starts the program built beside the tests, or the copy named by exe in its own folder, with arguments.
  bool Start(const std::string &exe = zortest::ExeDir() + "\\ZorExplorer.exe", const char *folder = nullptr,
             const std::string &arguments = {}) {
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &Process))
      return false;
    // The main window, once shown with its caption.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
      Window = FindWindowOf(Process.dwProcessId, "Zorvat File Manager v1.22");
      if (Window)
        return true;
      if (WaitForSingleObject(Process.hProcess, 100) == WAIT_OBJECT_0)
        return false;
    }
    return false;
  }

  int InstanceNumber() const {
    return static_cast<int>(reinterpret_cast<intptr_t>(GetPropA(Window, TFormMainExplorer::InstanceNumberProperty)));
  }

  // Closes the window as a user would and gives the exit code (STILL_ACTIVE if it did not end).
  DWORD Close() {
    PostMessageA(Window, WM_CLOSE, 0, 0);
    WaitForSingleObject(Process.hProcess, 20000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(Process.hProcess, &code);
    return code;
  }

  ~RunningCopy() {
    if (Process.hProcess) {
      if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(Process.hProcess, 1);
      CloseHandle(Process.hProcess);
      CloseHandle(Process.hThread);
    }
  }

  // A shown top-level window of the copy with the caption, or of the class when the caption is null.
  static HWND FindWindowOf(DWORD pid, const char *caption, const char *windowClass = nullptr) {
    struct Search {
      DWORD Pid;
      const char *Caption;
      const char *Class;
      HWND Found;
    } search{pid, caption, windowClass, nullptr};
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
          auto *s = reinterpret_cast<Search *>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(wnd, &owner);
          char caption[128] = {}, kind[64] = {};
          GetWindowTextA(wnd, caption, sizeof caption);
          GetClassNameA(wnd, kind, sizeof kind);
          if (owner == s->Pid && IsWindowVisible(wnd) &&
              (s->Caption ? std::string(caption) == s->Caption : std::string(kind) == s->Class)) {
            s->Found = wnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
  }
};

TEST(Program, CopiesSideBySideNumberThemselvesAndEndWithCodeZero) {
  RunningCopy first, second;
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(first.InstanceNumber(), 1);
  EXPECT_EQ(second.InstanceNumber(), 2);

  // Copy 2 keeps the first name in use: a copy started after copy 1 ended is number 3.
  EXPECT_EQ(first.Close(), 0u);
  RunningCopy third;
  ASSERT_TRUE(third.Start());
  EXPECT_EQ(third.InstanceNumber(), 3);
  EXPECT_EQ(second.Close(), 0u);
  EXPECT_EQ(third.Close(), 0u);

  RunningCopy alone;
  ASSERT_TRUE(alone.Start());
  EXPECT_EQ(alone.InstanceNumber(), 1);
  EXPECT_EQ(alone.Close(), 0u);
}

TEST(Program, StartsWhenItsMutexCannotBeCreated) {
  // The first name taken by an object of another kind: the probe stops there without a mutex.
  HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, "ZorExplorer1");
  ASSERT_NE(squatter, nullptr);
  RunningCopy copy;
  bool started = copy.Start();
  CloseHandle(squatter);
  ASSERT_TRUE(started);
  EXPECT_EQ(copy.InstanceNumber(), 1);
  EXPECT_EQ(copy.Close(), 0u);
}

// Input as a user gives it, to whichever window has the focus.
void Key(WORD key) { zortest::SendChord({key}); }

void Type(const std::wstring &text) { zortest::SendText(text); }

void Click(POINT screen, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
  SetCursorPos(screen.x, screen.y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = down;
  input[1].mi.dwFlags = up;
  SendInput(2, input, sizeof(INPUT));
  zortest::PumpFor(300);
}

void RightClick(POINT screen) { Click(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

POINT Middle(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string ClassOf(HWND wnd) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  return name;
}

std::string TextOf(HWND wnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return WideToUtf8(text);
}

// The tabs' header bars from the top, in the strip that holds them at the top of the main window.
std::vector<HWND> HeaderBars(HWND main) {
  auto top = [](HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return r.top;
  };
  auto panelsOf = [&](HWND parent) {
    std::vector<HWND> panels;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == "TPanel" && IsWindowVisible(child))
        panels.push_back(child);
    std::sort(panels.begin(), panels.end(), [&](HWND a, HWND b) { return top(a) < top(b); });
    return panels;
  };
  // The window's topmost panel holds the header bars, stacked.
  const std::vector<HWND> strip = panelsOf(main);
  return strip.empty() ? strip : panelsOf(strip.front());
}

// The only edit box of the window.
HWND PathBox(HWND main) {
  HWND found = nullptr;
  EnumChildWindows(
      main,
      [](HWND child, LPARAM param) -> BOOL {
        if (ClassOf(child) != "TEdit")
          return TRUE;
        *reinterpret_cast<HWND *>(param) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(Program, ThreeTabsOpenedFromTheHeaderMenuOneBrowsedByKeyboardToAFolderOfFiles) {
  RunningCopy copy;
  ASSERT_TRUE(copy.Start());
  HWND main = copy.Window;
  SetForegroundWindow(main);
  ASSERT_TRUE(
      zortest::PumpUntil([&] { return HeaderBars(main).size() == 1 && TextOf(HeaderBars(main)[0]) != ""; }, 10000));
  const std::string myComputer = TextOf(HeaderBars(main)[0]);

  // "New Tab", the first item of a header's menu, twice.
  for (size_t tabs = 2; tabs <= 3; ++tabs) {
    RightClick(Middle(HeaderBars(main)[0]));
    ASSERT_TRUE(zortest::PumpUntil([] { return IsWindowVisible(FindWindowA("#32768", nullptr)); }, 5000));
    zortest::PumpFor(300);
    Key(VK_DOWN);
    Key(VK_RETURN);
    ASSERT_TRUE(zortest::PumpUntil([&] { return HeaderBars(main).size() == tabs; }, 10000)) << tabs << " tabs";
  }
  ASSERT_TRUE(zortest::PumpUntil([&] { return TextOf(HeaderBars(main)[0]) == myComputer; }, 10000));

  // In the newest tab's tree, from My Computer: its first item (Control Panel), the drive after it, opened,
  // then the drive's Windows folder by its first letter.
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  zortest::PumpFor(500);
  Type(L"w");
  HWND box = PathBox(main);
  ASSERT_TRUE(zortest::PumpUntil([&] { return TextOf(box) == "C:\\windows"; }, 10000)) << TextOf(box);
  std::vector<HWND> headers = HeaderBars(main);
  ASSERT_EQ(headers.size(), 3u);
  EXPECT_EQ(TextOf(headers[0]), "C:\\windows");
  EXPECT_EQ(TextOf(headers[1]), myComputer);
  EXPECT_EQ(TextOf(headers[2]), myComputer);

  zortest::PumpFor(1000);
  EXPECT_TRUE(zortest::ShownWindowPicture(main).SaveBmp("app-end-to-end.bmp"));
  EXPECT_EQ(copy.Close(), 0u);
}

// The sizes of the icon group named MAINICON in a module, and whether it is the module's first icon group
// (the one the shell shows for the file and for shortcuts to it).
struct IconGroup {
  std::vector<int> Sizes;
  bool First = false;
};

IconGroup ProgramIcon(HMODULE module) {
#pragma pack(push, 2)
  struct Entry {
    BYTE Width, Height, Colors, Reserved;
    WORD Planes, BitCount;
    DWORD Bytes;
    WORD Id;
  };
  struct Directory {
    WORD Reserved, Type, Count;
    Entry Entries[1];
  };
#pragma pack(pop)
  IconGroup group;
  HRSRC found = FindResourceW(module, L"MAINICON", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
  auto *directory = found ? static_cast<const Directory *>(LockResource(LoadResource(module, found))) : nullptr;
  for (WORD i = 0; directory && i < directory->Count; ++i)
    group.Sizes.push_back(directory->Entries[i].Width ? directory->Entries[i].Width : 256);
  std::sort(group.Sizes.begin(), group.Sizes.end());
  std::wstring first;
  EnumResourceNamesW(
      module, MAKEINTRESOURCEW(14),
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
        *reinterpret_cast<std::wstring *>(param) = IS_INTRESOURCE(name) ? L"#" : name;
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&first));
  group.First = first == L"MAINICON";
  return group;
}

TEST(Program, CarriesItsIconInFourSizesAsTheFilesFirstIcon) {
  HMODULE module = LoadLibraryExW(Utf8ToWide(zortest::ExeDir() + "\\ZorExplorer.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  IconGroup group = ProgramIcon(module);
  EXPECT_EQ(group.Sizes, (std::vector<int>{16, 32, 48, 256}));
  EXPECT_TRUE(group.First);
  FreeLibrary(module);
}

// A drive that Wine reports as a network drive, on a folder of the test, for as long as it lives: the program's
// tree asks the network library about every such drive. It is made through the request of Wine's mount
// manager that its configuration tool uses; Windows knows no such request, so there Made() is false.
class WineNetworkDrive {
public:
  explicit WineNetworkDrive(const std::string &folder) {
    const std::string unixPath = zortest::UnixPathOf(folder);
    if (unixPath.empty())
      return;
    char letter = 'Y';
    while (letter > 'D' && (GetLogicalDrives() & (1u << (letter - 'A'))))
      --letter;
    // The mount manager keeps the drive's type in the prefix's registry, also after the drive has gone.
    FTypeName = std::string(1, static_cast<char>(letter - 'A' + 'a')) + ":";
    char type[64] = {};
    DWORD size = sizeof type - 1;
    FHadType = RegGetValueA(HKEY_LOCAL_MACHINE, kDrivesKey, FTypeName.c_str(), RRF_RT_REG_SZ, nullptr, type, &size) ==
               ERROR_SUCCESS;
    FOldType = type;
    if (Define(letter, unixPath.c_str()))
      FLetter = letter;
  }
  ~WineNetworkDrive() {
    if (!FLetter)
      return;
    Define(FLetter, nullptr);
    HKEY drives = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDrivesKey, 0, KEY_SET_VALUE, &drives) != ERROR_SUCCESS)
      return;
    if (FHadType)
      RegSetValueExA(drives, FTypeName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(FOldType.c_str()),
                     static_cast<DWORD>(FOldType.size() + 1));
    else
      RegDeleteValueA(drives, FTypeName.c_str());
    RegCloseKey(drives);
  }
  WineNetworkDrive(const WineNetworkDrive &) = delete;
  WineNetworkDrive &operator=(const WineNetworkDrive &) = delete;

  bool Made() const { return FLetter && GetDriveTypeA(Root(FLetter).c_str()) == DRIVE_REMOTE; }

private:
  static constexpr const char *kDrivesKey = "Software\\Wine\\Drives";
  static std::string Root(char letter) { return std::string(1, letter) + ":\\"; }

  // Without a Unix path, the drive goes.
  static bool Define(char letter, const char *unixPath) {
    struct UnixDrive {
      ULONG Size;
      ULONG Type;
      ULONG FsType;
      DWORD Serial;
      ULONGLONG UnixDevice;
      WCHAR Letter;
      USHORT MountPointOffset;
      USHORT DeviceOffset;
      USHORT LabelOffset;
    };
    const DWORD defineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    std::vector<char> request(sizeof(UnixDrive) + (unixPath ? strlen(unixPath) + 1 : 0));
    auto *drive = reinterpret_cast<UnixDrive *>(request.data());
    drive->Size = sizeof(UnixDrive);
    drive->Type = DRIVE_REMOTE;
    drive->Letter = static_cast<WCHAR>(letter - 'A' + 'a');
    if (unixPath) {
      drive->MountPointOffset = sizeof(UnixDrive);
      strcpy(request.data() + sizeof(UnixDrive), unixPath);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
      return false;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(manager, defineUnixDrive, request.data(), static_cast<DWORD>(request.size()), nullptr,
                                0, &returned, nullptr);
    CloseHandle(manager);
    return done;
  }

  char FLetter = 0;
  std::string FTypeName;
  bool FHadType = false;
  std::string FOldType;
};

// While it lives, Wine takes the named libraries native-first for every process started from a file of the
// given name, as Windows takes any library that is not one of its known ones. A Wine process takes its
// WINEDLLOVERRIDES from Wine's own environment, not from its parent, so this goes through Wine's registry.
class WineNativeFirst {
public:
  WineNativeFirst(const std::string &program, std::initializer_list<const char *> libraries)
      : FKey("Software\\Wine\\AppDefaults\\" + program) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (FKey + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      return;
    for (const char *library : libraries)
      RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE *>("native,builtin"), 15);
    RegCloseKey(key);
  }
  ~WineNativeFirst() {
    // Each key goes only when no other key is left under it.
    RegDeleteKeyA(HKEY_CURRENT_USER, (FKey + "\\DllOverrides").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, FKey.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, FKey.substr(0, FKey.rfind('\\')).c_str());
  }
  WineNativeFirst(const WineNativeFirst &) = delete;
  WineNativeFirst &operator=(const WineNativeFirst &) = delete;

private:
  std::string FKey;
};

std::vector<std::string> FilesIn(const std::string &pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do
    names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

TEST(Program, ACopyBesidePlantedLibrariesShowsItsWindowAndBrowsesWithoutLoadingAnyOfThem) {
  // As a user who unpacked the program into Downloads and started it there, next to what someone left:
  // libraries named like the system's that the program uses (version.dll, and netapi32.dll for network drives).
  zortest::TempDir dir;
  const std::string exe = dir / "ZorExplorer.exe";
  ASSERT_TRUE(CopyFileA((zortest::ExeDir() + "\\ZorExplorer.exe").c_str(), exe.c_str(), FALSE));
  for (const char *name : {"version.dll", "netapi32.dll"})
    ASSERT_TRUE(CopyFileA(zortest::PlantedLibrary(name).c_str(), (dir / name).c_str(), FALSE)) << name;
  zortest::MakeDir(dir / "share");
  WineNetworkDrive network(dir / "share");
  if (IsRunningUnderWine()) {
    ASSERT_TRUE(network.Made());
  }

  // Not version.dll: Wine's own user32 imports it (Windows' user32 imports known libraries only), so taken
  // native-first it would come from the copy's folder at start whatever the program does. Under Wine, user32
  // gets Wine's own and so does every later request by that name; on Windows the planted one is what the
  // program's import of it found.
  WineNativeFirst nativeFirst("ZorExplorer.exe", {"netapi32"});

  RunningCopy copy;
  ASSERT_TRUE(copy.Start(exe, dir.Path().c_str()));

  // The copy's own folder, typed into the path box.
  HWND main = copy.Window;
  SetForegroundWindow(main);
  Click(Middle(PathBox(main)));
  Type(Utf8ToWide(dir.Path()));
  Key(VK_RETURN);
  auto shown = [&] {
    std::vector<HWND> headers = HeaderBars(main);
    return headers.empty() ? std::string() : TextOf(headers[0]);
  };
  EXPECT_TRUE(zortest::PumpUntil([&] { return shown() == dir.Path(); }, 10000)) << shown();
  EXPECT_EQ(copy.Close(), 0u);

  EXPECT_EQ(FilesIn(dir / "*.loaded"), std::vector<std::string>());
}

} // namespace

namespace {

TEST(Program, FoldersOnItsCommandLineOpenInTabsAWindowsAndAUnixPathAndOneBoxNamesWhatCannotBeOpened) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "windows");
  zortest::MakeDir(dir / "unix");
  const std::string unix = IsRunningUnderWine() ? zortest::UnixPathOf(dir / "unix") : dir / "unix";
  RunningCopy copy;
  ASSERT_TRUE(copy.Start(zortest::ExeDir() + "\\ZorExplorer.exe", nullptr,
                         "\"" + dir / "windows" + "\" \"" + unix + "\" \"/no where\""));
  HWND box = nullptr;
  ASSERT_TRUE(zortest::PumpUntil(
      [&] { return (box = RunningCopy::FindWindowOf(copy.Process.dwProcessId, nullptr, "#32770")); }, 10000));
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    text += TextOf(child) + "|";
  EXPECT_NE(text.find("ERROR: Unable to open:\n/no where|"), std::string::npos) << text;
  PostMessageA(box, WM_COMMAND, IDOK, 0);

  std::vector<HWND> headers = HeaderBars(copy.Window);
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_TRUE(zortest::PumpUntil([&] { return TextOf(headers[0]) == dir / "windows"; }, 10000)) << TextOf(headers[0]);
  EXPECT_TRUE(zortest::PumpUntil([&] { return TextOf(headers[1]).ends_with("\\unix"); }, 10000)) << TextOf(headers[1]);
  EXPECT_EQ(TextOf(PathBox(copy.Window)), dir / "windows");
  EXPECT_EQ(copy.Close(), 0u);
}

} // namespace
