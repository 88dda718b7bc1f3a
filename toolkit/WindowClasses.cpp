#include "toolkit/WindowClasses.h"

#include <commctrl.h>
#include <map>
#include <unordered_map>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WinControl.h"

namespace {

std::unordered_map<HWND, TWinControl *> &ControlMap() {
  static std::unordered_map<HWND, TWinControl *> map;
  return map;
}

// The control whose window is being made.
thread_local TWinControl *CreatingControl = nullptr;

// Ids stay below 0x10000 (WM_COMMAND carries 16 bits of one) and above the dialog ids IDOK... that the
// platform gives meanings.
constexpr UINT FirstControlId = 0x100;
constexpr UINT LastControlId = 0xFFFF;

std::unordered_map<UINT, TWinControl *> &ControlIds() {
  static std::unordered_map<UINT, TWinControl *> ids;
  return ids;
}

// The registered classes by name, with the procedure each hands unhandled messages to.
std::map<std::string, WNDPROC> &RegisteredClasses() {
  static std::map<std::string, WNDPROC> classes;
  return classes;
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// Fills cls with the system class base (the common controls' classes exist only once they are loaded).
void GetBaseClass(HINSTANCE instance, const std::wstring &base, WNDCLASSEXW &cls) {
  if (GetClassInfoExW(instance, base.c_str(), &cls))
    return;
  EnsureCommonControls();
  if (!GetClassInfoExW(instance, base.c_str(), &cls) && !GetClassInfoExW(nullptr, base.c_str(), &cls))
    RaiseLastOSError();
}

} // namespace

WNDPROC RegisterToolkitClass(const TCreateParams &params) {
  auto &classes = RegisteredClasses();
  auto found = classes.find(params.WinClassName);
  if (found != classes.end())
    return found->second;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDPROC defWndProc = DefWindowProcW;
  WNDCLASSEXW cls = {};
  cls.cbSize = sizeof cls;
  if (!params.BaseClassName.empty()) {
    GetBaseClass(instance, Utf8ToWide(params.BaseClassName), cls);
    defWndProc = cls.lpfnWndProc;
    cls.cbSize = sizeof cls;
    cls.style &= ~CS_GLOBALCLASS;
  } else {
    cls.style = params.ClassStyle;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  }
  std::wstring name = Utf8ToWide(params.WinClassName);
  cls.lpfnWndProc = ToolkitWndProc;
  cls.hInstance = instance;
  cls.lpszClassName = name.c_str();
  if (!RegisterClassExW(&cls))
    RaiseLastOSError();
  return classes.emplace(params.WinClassName, defWndProc).first->second;
}

LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl *control = ControlOfWindow(wnd);
  if (!control && (control = TCreatingWindowScope::Take())) {
    control->FHandle = wnd;
    BindWindow(wnd, control);
  }
  if (!control)
    return DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  // No exception may cross into the platform: it goes to the application's handler and the message ends
  // with what the handling had reached.
  try {
    control->WndProc(message);
  } catch (...) {
    if (Application)
      Application->HandleException(control);
  }
  return message.Result;
}

TWinControl *ControlOfWindow(HWND wnd) {
  if (!wnd)
    return nullptr;
  auto &map = ControlMap();
  auto found = map.find(wnd);
  return found == map.end() ? nullptr : found->second;
}

void BindWindow(HWND wnd, TWinControl *control) { ControlMap()[wnd] = control; }

void UnbindWindow(HWND wnd) { ControlMap().erase(wnd); }

UINT AllocateControlId(TWinControl *control) {
  static UINT next = FirstControlId;
  auto &ids = ControlIds();
  if (ids.size() > LastControlId - FirstControlId)
    throw Exception("Error creating window: no control id left");
  while (ids.count(next))
    next = next == LastControlId ? FirstControlId : next + 1;
  UINT id = next;
  next = next == LastControlId ? FirstControlId : next + 1;
  ids[id] = control;
  return id;
}

void FreeControlId(UINT id) { ControlIds().erase(id); }

TWinControl *ControlOfId(UINT id) {
  auto &ids = ControlIds();
  auto found = ids.find(id);
  return found == ids.end() ? nullptr : found->second;
}

TCreatingWindowScope::TCreatingWindowScope(TWinControl *control) : FOuter(CreatingControl) {
  CreatingControl = control;
}

TCreatingWindowScope::~TCreatingWindowScope() { CreatingControl = FOuter; }

TWinControl *TCreatingWindowScope::Take() { return std::exchange(CreatingControl, nullptr); }
