#pragma once
// Base of every visual control: its place in a parent (bounds, Align, anchors), visibility, colour, font,
// caption, popup menu, the resolution it is laid out at, and the input events. The window itself comes with
// TWinControl.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/Dpi.h"
#include "toolkit/Font.h"
#include "toolkit/Graphics.h"
#include "toolkit/Screen.h"
#include "toolkit/Shortcut.h"

class TWinControl;
class TPopupMenu;

// How a control sits in its parent. Aligned children are laid out by the parent: top and bottom ones
// stack from those edges across the full width, then left and right ones from the side edges over the
// height that is left, and client ones fill what remains.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Where a caption sits across the width it is given.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Edges of the parent a control with Align alNone keeps its distance to when the parent is resized; with
// both left and right (or top and bottom) it stretches.
enum TAnchorKind : uint8_t { akLeft = 0x01, akTop = 0x02, akRight = 0x04, akBottom = 0x08 };
using TAnchors = uint8_t;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind : uint8_t { bkNone, bkTile, bkSoft, bkFlat };
enum TBorderStyle : uint8_t { bsNone, bsSingle };

using TMouseEvent = std::function<void(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject *Sender, TShiftState Shift, int X, int Y)>;
// Setting Key to 0 consumes the key: the control's own handling does not see it.
using TKeyEvent = std::function<void(TObject *Sender, WORD &Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject *Sender, wchar_t &Key)>;
// One notch of the mouse wheel; MousePos is on the screen. Handled true: the control does not scroll itself.
using TMouseWheelUpDownEvent = std::function<void(TObject *Sender, TShiftState Shift, POINT MousePos, bool &Handled)>;
// MousePos is in client coordinates, or (-1, -1) when the menu was asked for from the keyboard.
using TContextPopupEvent = std::function<void(TObject *Sender, POINT MousePos, bool &Handled)>;

class TControl : public TComponent {
public:
  explicit TControl(TComponent *AOwner);
  ~TControl() override;

  TWinControl *Parent() const { return FParent; }
  virtual void SetParent(TWinControl *value);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  // Places the control (relative to the parent's client area; a form: on the screen). The parent lays its
  // aligned children out again, and the distances to anchored edges are taken from the new place.
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }

  TAlign Align() const { return FAlign; }
  // Taking an alignment puts the control nearest that edge among the parent's children of the same
  // alignment (so of several top-aligned children the most recently aligned one is topmost).
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors value);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  // While set, the control shows its parent's colour (and follows it).
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);

  // Changing the font through this reference detaches it from the parent's font.
  TFont &Font() { return FFont; }
  const TFont &Font() const { return FFont; }
  // While set, the control uses its parent's font (and follows it); true for a new control.
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);

  // Caption of panels, labels and forms; the text of edit boxes.
  virtual std::string Text() const { return FText; }
  void SetText(const std::string &value);
  std::string Caption() const { return Text(); }
  void SetCaption(const std::string &value) { SetText(value); }

  TPopupMenu *PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu *value);

  // The cursor shown over the control while the screen cursor is crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value) { FCursor = value; }

  // The dots per inch of the screen the control is laid out for: its bounds and the other sizes it keeps are
  // pixels at this resolution, and its font is made for it. A new control takes the system's; placed in a
  // parent it takes the parent's (and is scaled to it); a form takes its window's monitor's.
  int CurrentPPI() const { return FCurrentPPI; }
  // A size at 96 dpi in this control's pixels: what the program gives SetBounds and the like.
  int ScaleValue(int value) const { return ::ScaleValue(value, FCurrentPPI); }
  // Lays the control (and everything in it) out at another resolution: its sizes are scaled by ppi over
  // CurrentPPI and its fonts are made for ppi. A control with a parent scales its own bounds too; a
  // top-level one keeps its place on the screen.
  void ScaleForPPI(int ppi);

  // Moves the control in front of its siblings (drawn over them where they overlap) and nearest its edge
  // among the siblings of the same alignment.
  void BringToFront();
  // Moves the control behind its siblings.
  void SendToBack();

  virtual void Invalidate() = 0;
  // Invalidates and paints at once.
  virtual void Repaint() = 0;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TContextPopupEvent OnContextPopup;

protected:
  void Notification(TComponent *component, bool inserted) override;

  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void DoContextPopup(POINT mousePos, bool &handled);

  // Scales what the control keeps in pixels from oldPPI to newPPI (CurrentPPI is newPPI when it is called);
  // the base scales the bounds (when there is a parent) and the anchor distances and makes the font for
  // newPPI. A control with sizes of its own scales them and calls the base.
  virtual void ChangeScale(int newPPI, int oldPPI);

  // Hooks for the window behind the control.
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void ColorChanged() {}
  virtual void FontChanged() {}
  virtual void TextChanged() {}

  // Sets the bounds as the parent's layout does: no new anchor distances, no new layout of the parent.
  void UpdateBounds(int left, int top, int width, int height);
  // Records the distances to the parent's right and bottom edges from the current place.
  void UpdateAnchorRules();
  // Asks the parent to lay out its aligned children again.
  void RequestAlign();

  // Copies the parent's font or colour when this control follows it.
  void ParentFontChanged();
  void ParentColorChanged();

private:
  friend class TWinControl;

  TWinControl *FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  uint64_t FAlignOrder = 0;
  TAnchors FAnchors = akLeft | akTop;
  int FAnchorRight = 0;
  int FAnchorBottom = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  TFont FFont;
  bool FParentFont = true;
  // Set while the font changes for another reason than the program setting it (the parent's font, the
  // resolution): it keeps following the parent's.
  bool FFollowingParentFont = false;
  int FCurrentPPI;
  std::string FText;
  TPopupMenu *FPopupMenu = nullptr;
  TCursor FCursor = crDefault;
};
