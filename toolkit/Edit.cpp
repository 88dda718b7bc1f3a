#include "toolkit/Edit.h"

#include <vector>

#include "toolkit/SysUtils.h"

TEdit::TEdit(TComponent *AOwner) : TWinControl(AOwner) {
  UpdateBounds(0, 0, ScaleValue(121), ScaleValue(21));
  SetBorderStyle(bsSingle);
  SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TEdit";
  params.BaseClassName = "EDIT";
  params.Style = (params.Style & ~WS_CLIPCHILDREN) | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
}

std::string TEdit::Text() const {
  HWND wnd = WindowHandle();
  if (!wnd)
    return TWinControl::Text();
  int length = GetWindowTextLengthW(wnd);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextW(wnd, buffer.data(), length + 1);
  return WideToUtf8(buffer.data(), got);
}

void TEdit::SelectAll() {
  if (HandleAllocated())
    SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

int TEdit::SelStart() const {
  DWORD start = 0;
  if (HWND wnd = WindowHandle())
    SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

int TEdit::SelLength() const {
  DWORD start = 0, end = 0;
  if (HWND wnd = WindowHandle())
    SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TEdit::WndProc(TMessage &message) {
  if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == EN_CHANGE) {
    if (OnChange)
      OnChange(this);
    return;
  }
  TWinControl::WndProc(message);
}

bool TEdit::WantSpecialKey(WORD key, TShiftState shift) {
  if (shift.Contains(ssAlt))
    return key == VK_BACK;
  if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || (key >= VK_F1 && key <= VK_F24))
    return false;
  if (!shift.Contains(ssCtrl))
    return true;
  switch (key) {
  case 'A':
  case 'C':
  case 'V':
  case 'X':
  case 'Y':
  case 'Z':
  case VK_LEFT:
  case VK_RIGHT:
  case VK_HOME:
  case VK_END:
  case VK_BACK:
  case VK_DELETE:
  case VK_INSERT:
    return true;
  default:
    return false;
  }
}
