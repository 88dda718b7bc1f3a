#include "toolkit/Control.h"

#include "toolkit/PopupMenu.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WinControl.h"

TControl::TControl(TComponent *AOwner) : TComponent(AOwner), FCurrentPPI(SystemPixelsPerInch()) {
  FFont.SetPixelsPerInch(FCurrentPPI);
  FFont.OnChange = [this] {
    if (!FFollowingParentFont)
      FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  FFont.OnChange = nullptr;
  if (FParent)
    FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl *value) {
  if (value == FParent)
    return;
  if (value == this)
    throw Exception("A control cannot be its own parent");
  if (FParent)
    FParent->RemoveControl(this);
  if (value)
    value->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  UpdateBounds(left, top, width, height);
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::UpdateBounds(int left, int top, int width, int height) {
  if (width < 0)
    width = 0;
  if (height < 0)
    height = 0;
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
    return;
  bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  BoundsChanged();
  if (resized)
    Resize();
}

void TControl::UpdateAnchorRules() {
  if (!FParent)
    return;
  RECT client = FParent->ClientRect();
  FAnchorRight = client.right - (FLeft + FWidth);
  FAnchorBottom = client.bottom - (FTop + FHeight);
}

void TControl::RequestAlign() {
  if (FParent)
    FParent->Realign();
}

void TControl::SetAlign(TAlign value) {
  if (value == FAlign)
    return;
  FAlign = value;
  if (FParent && value != alNone)
    FAlignOrder = ++FParent->FAlignCounter;
  if (value == alNone)
    UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  FAnchors = value;
  UpdateAnchorRules();
}

void TControl::SetVisible(bool value) {
  if (value == FVisible)
    return;
  FVisible = value;
  VisibleChanged();
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled)
    return;
  FEnabled = value;
  EnabledChanged();
}

void TControl::SetColor(TColor value) {
  FParentColor = false;
  if (value == FColor)
    return;
  FColor = value;
  ColorChanged();
}

void TControl::SetParentColor(bool value) {
  FParentColor = value;
  if (value)
    ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent || FParent->Color() == FColor)
    return;
  FColor = FParent->Color();
  ColorChanged();
}

void TControl::SetParentFont(bool value) {
  FParentFont = value;
  if (value)
    ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent)
    return;
  // The parent's description, made for this control's resolution (which ChangeScale brings in step).
  TFont font(FParent->Font());
  font.SetPixelsPerInch(FCurrentPPI);
  FFollowingParentFont = true;
  FFont.Assign(font);
  FFollowingParentFont = false;
}

void TControl::ScaleForPPI(int ppi) {
  if (ppi > 0 && ppi != FCurrentPPI)
    ChangeScale(ppi, FCurrentPPI);
}

void TControl::ChangeScale(int newPPI, int oldPPI) {
  FCurrentPPI = newPPI;
  auto scale = [&](int value) { return MulDiv(value, newPPI, oldPPI); };
  if (FParent) {
    // Edges scaled, not sizes: children that touched still touch.
    const int left = scale(FLeft), top = scale(FTop);
    UpdateBounds(left, top, scale(FLeft + FWidth) - left, scale(FTop + FHeight) - top);
  }
  FAnchorRight = scale(FAnchorRight);
  FAnchorBottom = scale(FAnchorBottom);
  // The same description at the new resolution: no change of the program's, so a control that follows its
  // parent's font goes on following it.
  const bool following = FFollowingParentFont;
  FFollowingParentFont = true;
  FFont.SetPixelsPerInch(newPPI);
  FFollowingParentFont = following;
}

void TControl::SetText(const std::string &value) {
  if (value == Text())
    return;
  FText = value;
  TextChanged();
}

void TControl::SetPopupMenu(TPopupMenu *value) {
  if (value == FPopupMenu)
    return;
  if (FPopupMenu)
    FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = value;
  if (value)
    value->FreeNotification(this);
}

void TControl::Notification(TComponent *component, bool inserted) {
  TComponent::Notification(component, inserted);
  if (!inserted && component == FPopupMenu)
    FPopupMenu = nullptr;
}

void TControl::BringToFront() {
  if (!FParent)
    return;
  auto &siblings = FParent->FControls;
  std::erase(siblings, this);
  siblings.push_back(this);
  if (FAlign != alNone)
    FAlignOrder = ++FParent->FAlignCounter;
  if (auto *self = dynamic_cast<TWinControl *>(this))
    self->ApplyZOrder();
  RequestAlign();
}

void TControl::SendToBack() {
  if (!FParent)
    return;
  auto &siblings = FParent->FControls;
  std::erase(siblings, this);
  siblings.insert(siblings.begin(), this);
  if (auto *self = dynamic_cast<TWinControl *>(this))
    self->ApplyZOrder();
}

void TControl::Click() {
  if (OnClick)
    OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize)
    OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown)
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp)
    OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove)
    OnMouseMove(this, shift, x, y);
}

void TControl::DoContextPopup(POINT mousePos, bool &handled) {
  if (OnContextPopup)
    OnContextPopup(this, mousePos, handled);
}
