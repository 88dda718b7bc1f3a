#include "toolkit/Splitter.h"

#include <algorithm>

TSplitter::TSplitter(TComponent *AOwner) : TWinControl(AOwner) {
  UpdateBounds(0, 0, ScaleValue(3), ScaleValue(100));
  MinSize = ScaleValue(MinSize);
  SetAlign(alLeft);
  SetParentColor(true);
  SetCursor(crSizeWE);
}

void TSplitter::CreateParams(TCreateParams &params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "TSplitter";
}

void TSplitter::ChangeScale(int newPPI, int oldPPI) {
  TWinControl::ChangeScale(newPPI, oldPPI);
  MinSize = MulDiv(MinSize, newPPI, oldPPI);
}

TControl *TSplitter::FindNeighbour() {
  TWinControl *parent = Parent();
  if (!parent)
    return nullptr;
  RECT self = BoundsRect();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl *control = parent->Controls(i);
    if (control == this || !control->Visible() || control->Align() != Align())
      continue;
    RECT r = control->BoundsRect();
    bool touches = false;
    switch (Align()) {
    case alLeft:
      touches = r.right == self.left;
      break;
    case alRight:
      touches = r.left == self.right;
      break;
    case alTop:
      touches = r.bottom == self.top;
      break;
    case alBottom:
      touches = r.top == self.bottom;
      break;
    default:
      break;
    }
    if (touches)
      return control;
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft)
    return;
  FControl = FindNeighbour();
  if (!FControl)
    return;
  FControl->FreeNotification(this);
  FDragging = true;
  FDownPos = ClientToScreen(POINT{x, y});
  bool horizontal = Horizontal();
  FStartSize = horizontal ? FControl->Width() : FControl->Height();
  // The room there is: the parent's inside less every other control aligned on the same axis.
  RECT inside = Parent()->ClientRect();
  FMaxSize = (horizontal ? inside.right : inside.bottom) - MinSize;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl *control = Parent()->Controls(i);
    if (control == FControl || !control->Visible())
      continue;
    TAlign align = control->Align();
    if (horizontal && (align == alLeft || align == alRight))
      FMaxSize -= control->Width();
    else if (!horizontal && (align == alTop || align == alBottom))
      FMaxSize -= control->Height();
  }
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TWinControl::MouseMove(shift, x, y);
  if (!FDragging || !FControl)
    return;
  POINT now = ClientToScreen(POINT{x, y});
  int delta = Horizontal() ? now.x - FDownPos.x : now.y - FDownPos.y;
  if (Align() == alRight || Align() == alBottom)
    delta = -delta;
  int size = std::max(MinSize, std::min(FStartSize + delta, FMaxSize));
  if (Horizontal()) {
    if (size != FControl->Width())
      FControl->SetWidth(size);
  } else if (size != FControl->Height()) {
    FControl->SetHeight(size);
  }
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FDragging)
    return;
  FDragging = false;
  if (FControl)
    FControl->RemoveFreeNotification(this);
  FControl = nullptr;
  if (OnMoved)
    OnMoved(this);
}

void TSplitter::Notification(TComponent *component, bool inserted) {
  TWinControl::Notification(component, inserted);
  if (!inserted && component == FControl) {
    FControl = nullptr;
    FDragging = false;
  }
}
