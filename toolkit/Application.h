#pragma once
// The application object: main form, message loop, central exception handler, and the one path every
// message box of the program takes (so tests can intercept it).
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/SysUtils.h"

using TExceptionEvent = std::function<void(TObject *Sender, const Exception &E)>;
using TMessageBoxHook = std::function<int(HWND owner, const std::string &text, const std::string &caption, UINT flags)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent *AOwner = nullptr);
  ~TApplication() override;

  void Initialize();

  const std::string &Title() const { return FTitle; }
  void SetTitle(const std::string &value) { FTitle = value; }

  // Creates a form owned by the application; the first one created becomes the main form, which Run shows
  // and whose closing ends Run.
  template <class T> T *CreateForm() {
    T *form = new T(this);
    if (!FMainForm) {
      FMainForm = form;
      FShowMainForm = [form] { form->Show(); };
    }
    // A form runs its OnCreate once it is complete.
    if constexpr (requires { form->AfterConstruction(); })
      form->AfterConstruction();
    return form;
  }
  TComponent *MainForm() const { return FMainForm; }

  // Shows the main form and dispatches messages until Terminate (the main form closing calls it).
  void Run();
  // Dispatches every message waiting in the queue, then returns.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Call inside a catch block: EAbort is swallowed, every other exception goes to OnException or an error
  // box (a standard exception with its what(), anything else as "Unknown exception").
  void HandleException(TObject *Sender);
  void ShowException(const Exception &E);

  // Message box owned by the active window, titled with Title when caption is empty.
  int MessageBox(const std::string &text, const std::string &caption, UINT flags);

  TExceptionEvent OnException;

protected:
  void Notification(TComponent *component, bool inserted) override;

private:
  bool DispatchOne(MSG &msg);
  void Report(TObject *Sender, const Exception &E);

  std::string FTitle;
  TComponent *FMainForm = nullptr;
  std::function<void()> FShowMainForm;
  bool FTerminated = false;
};

// The process's application object (created by the entry sequence, or by a test).
extern TApplication *Application;

// Every message box of the program goes through here; SetMessageBoxHook replaces the real one (and returns
// the hook it replaced, empty for the system's box).
int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption, UINT flags);
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// Runs fn and hands any exception to the application's handler instead of letting it cross into the
// platform (a window procedure, a thread start). The second form returns onError when fn raised.
template <class F> void GuardedCall(F &&fn) {
  try {
    fn();
  } catch (...) {
    if (Application)
      Application->HandleException(nullptr);
  }
}

template <class F, class R> R GuardedCall(F &&fn, R onError) {
  try {
    return fn();
  } catch (...) {
    if (Application)
      Application->HandleException(nullptr);
    return onError;
  }
}

// A hidden utility window whose messages go to handler (any message; return its result).
using TWndMethod = std::function<LRESULT(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)>;
HWND AllocateHWnd(TWndMethod handler);
// The same for a window that only takes what is sent or posted to it (no broadcasts), which is cheaper to make.
HWND AllocateMessageHWnd(TWndMethod handler);
void DeallocateHWnd(HWND wnd);
