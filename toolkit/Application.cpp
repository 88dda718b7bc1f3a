#include "toolkit/Application.h"

#include <memory>

#include "toolkit/WinControl.h"

TApplication *Application = nullptr;

namespace {

TMessageBoxHook &MessageBoxHook() {
  static TMessageBoxHook hook;
  return hook;
}

} // namespace

int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption, UINT flags) {
  if (MessageBoxHook())
    return MessageBoxHook()(owner, text, caption, flags);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
  TMessageBoxHook previous = std::move(MessageBoxHook());
  MessageBoxHook() = std::move(hook);
  return previous;
}

TApplication::TApplication(TComponent *AOwner) : TComponent(AOwner) {
  if (!Application)
    Application = this;
}

TApplication::~TApplication() {
  // Forms go first, while Application still answers for them.
  DestroyComponents();
  if (Application == this)
    Application = nullptr;
}

void TApplication::Initialize() { FTerminated = false; }

void TApplication::Notification(TComponent *component, bool inserted) {
  if (!inserted && component == FMainForm) {
    FMainForm = nullptr;
    FShowMainForm = nullptr;
  }
}

bool TApplication::DispatchOne(MSG &msg) {
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return false;
  }
  GuardedCall([&] {
    if (TWinControl::IsDialogKey(msg))
      return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  });
  return true;
}

void TApplication::Run() {
  if (FShowMainForm)
    GuardedCall([&] { FShowMainForm(); });
  MSG msg;
  bool quitTaken = false;
  while (!FTerminated) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1)
      break;
    if (!got) {
      FTerminated = true;
      quitTaken = true;
      break;
    }
    DispatchOne(msg);
  }
  // A loop that saw Terminate's flag before its quit request leaves the request waiting; it would end the
  // next message loop of this thread at once, and while it waits the thread gets no timers and no painting.
  if (FTerminated && !quitTaken)
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!DispatchOne(msg)) {
      // Leave the quit request for the loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject *Sender) {
  if (HWND capture = GetCapture())
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
  try {
    throw;
  } catch (const EAbort &) {
  } catch (const Exception &e) {
    Report(Sender, e);
  } catch (const std::exception &e) {
    Report(Sender, Exception(e.what()));
  } catch (...) {
    Report(Sender, Exception("Unknown exception"));
  }
}

void TApplication::Report(TObject *Sender, const Exception &E) {
  if (OnException)
    OnException(Sender, E);
  else
    ShowException(E);
}

void TApplication::ShowException(const Exception &E) {
  std::string text = E.Message();
  if (!text.empty() && text.back() > '.')
    text += '.';
  MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string &text, const std::string &caption, UINT flags) {
  return ShowMessageBox(GetActiveWindow(), text, caption.empty() ? FTitle : caption, flags);
}

// Hidden utility windows: one window class whose procedure forwards to the handler stored with the window.
namespace {

const char *UtilWindowClass = "TPUtilWindow";

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto *handler = reinterpret_cast<TWndMethod *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!handler)
    return DefWindowProcA(wnd, msg, wParam, lParam);
  return GuardedCall([&] { return (*handler)(wnd, msg, wParam, lParam); }, LRESULT(0));
}

HWND MakeUtilWindow(TWndMethod handler, HWND parent) {
  static const ATOM atom = [] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = UtilWindowProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = UtilWindowClass;
    return RegisterClassA(&cls);
  }();
  (void)atom;
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (!wnd)
    RaiseLastOSError();
  SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(handler))));
  return wnd;
}

} // namespace

HWND AllocateHWnd(TWndMethod handler) { return MakeUtilWindow(std::move(handler), nullptr); }

HWND AllocateMessageHWnd(TWndMethod handler) { return MakeUtilWindow(std::move(handler), HWND_MESSAGE); }

void DeallocateHWnd(HWND wnd) {
  if (!wnd)
    return;
  auto *handler = reinterpret_cast<TWndMethod *>(SetWindowLongPtrA(wnd, GWLP_USERDATA, 0));
  DestroyWindow(wnd);
  delete handler;
}
