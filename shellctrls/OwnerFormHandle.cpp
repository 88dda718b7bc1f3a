#include "shellctrls/OwnerFormHandle.h"

#include "toolkit/Form.h"

HWND GetOwnerFormHandle(TControl *control) {
  TForm *form = GetParentForm(control);
  return form ? form->Handle() : nullptr;
}
