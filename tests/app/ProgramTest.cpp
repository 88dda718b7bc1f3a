// The program itself: copies of ZorExplorer.exe started side by side number themselves and end cleanly.
#include <gtest/gtest.h>

#include <string>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"

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

} // namespace
