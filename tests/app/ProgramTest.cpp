// The program itself: copies of ZorExplorer.exe started side by side number themselves and end cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "toolkit/SysUtils.h"

namespace {

struct RunningCopy {
  PROCESS_INFORMATION Process = {};
  HWND Window = nullptr;

  bool Start() {
    std::string exe = zortest::ExeDir() + "\\ZorExplorer.exe";
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &Process))
      return false;
    // The main window, once shown with its caption.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
      Window = FindWindowOf(Process.dwProcessId);
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

private:
  static HWND FindWindowOf(DWORD pid) {
    struct Search {
      DWORD Pid;
      HWND Found;
    } search{pid, nullptr};
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
          auto *s = reinterpret_cast<Search *>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(wnd, &owner);
          char caption[128] = {};
          GetWindowTextA(wnd, caption, sizeof caption);
          if (owner == s->Pid && IsWindowVisible(wnd) && std::string(caption) == "Zorvat File Manager v1.22") {
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
void Key(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  zortest::PumpFor(150);
}

void Type(const std::wstring &text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
  zortest::PumpFor(150);
}

void RightClick(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, input, sizeof(INPUT));
  zortest::PumpFor(300);
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

// The main window's own panels from the top: the tabs' header bars first, the main and the status panel after.
std::vector<HWND> HeaderBars(HWND main) {
  std::vector<HWND> panels;
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == "TPanel" && IsWindowVisible(child))
      panels.push_back(child);
  auto top = [](HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return r.top;
  };
  std::sort(panels.begin(), panels.end(), [&](HWND a, HWND b) { return top(a) < top(b); });
  if (panels.size() >= 2)
    panels.resize(panels.size() - 2);
  return panels;
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
    RECT header;
    GetWindowRect(HeaderBars(main)[0], &header);
    RightClick({(header.left + header.right) / 2, (header.top + header.bottom) / 2});
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

} // namespace
