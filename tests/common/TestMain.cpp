// Main of every test executable: the program's unit start and end around the run, an application object
// for the exception handler, and a watchdog that fails the running test when a dialog window appears (and
// dismisses it), so that no mistake can leave the run waiting for a person.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "shellctrls/UKdShellControls.h"
#include "shellns/UKdShell95.h"
#include "toolkit/Application.h"

namespace zortest {
void InstallFailingMessageBoxHook();
}

namespace {

std::string WindowText(HWND wnd) {
  char text[1024] = {};
  GetWindowTextA(wnd, text, sizeof text);
  return text;
}

std::string ClassOf(HWND wnd) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  return name;
}

// Texts of a dialog's static children: the message of a message box.
std::string DialogText(HWND dialog) {
  std::string text;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM param) -> BOOL {
        auto *out = reinterpret_cast<std::string *>(param);
        if (ClassOf(child) == "Static") {
          std::string t = WindowText(child);
          if (!t.empty())
            *out += (out->empty() ? "" : " | ") + t;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

void DismissDialog(HWND dialog) {
  for (int id : {IDCANCEL, IDNO, IDOK}) {
    if (GetDlgItem(dialog, id)) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
      return;
    }
  }
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

class DialogWatchdog {
public:
  DialogWatchdog() { FThread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  ~DialogWatchdog() {
    FStop = true;
    WaitForSingleObject(FThread, 5000);
    CloseHandle(FThread);
  }

private:
  static DWORD WINAPI Run(LPVOID param) {
    auto *self = static_cast<DialogWatchdog *>(param);
    while (!self->FStop) {
      Sleep(100);
      EnumWindows(
          [](HWND wnd, LPARAM param) -> BOOL {
            auto *watchdog = reinterpret_cast<DialogWatchdog *>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(wnd, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(wnd) && ClassOf(wnd) == "#32770") {
              if (wnd != watchdog->FLastSeen) {
                watchdog->FLastSeen = wnd;
                ADD_FAILURE() << "a dialog appeared: \"" << WindowText(wnd) << "\": " << DialogText(wnd);
              }
              DismissDialog(wnd);
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(param));
    }
    return 0;
  }

  HANDLE FThread = nullptr;
  std::atomic<bool> FStop{false};
  HWND FLastSeen = nullptr;
};

} // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitializeShell95Unit();
  InitializeShellControlsUnit();
  int result;
  {
    TApplication application;
    application.Initialize();
    application.SetTitle("Zorvat File Manager tests");
    zortest::InstallFailingMessageBoxHook();
    DialogWatchdog watchdog;
    result = RUN_ALL_TESTS();
  }
  FinalizeShellControlsUnit();
  FinalizeShell95Unit();
  return result;
}
