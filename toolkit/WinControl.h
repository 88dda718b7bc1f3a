#pragma once
// A control with a window of its own. The window is made on first need (its handle asked for, or the
// control placed in a parent that has one) with the parameters of the virtual CreateParams, and every
// message it receives goes through the virtual WndProc. System controls (edit, static, tree view...) are
// superclassed: the toolkit's procedure sees every message first and hands the rest to the system's one.
//
// Text: every window of the toolkit is a Unicode one and so is the application's loop, so typed characters
// arrive as UTF-16 (KeyPress sees each unit; a character beyond the 16-bit plane comes as its two
// surrogates), and the windows of the toolkit ask their system children for Unicode notifications
// (WM_NOTIFYFORMAT): a tree or list view sends the ...W forms (TVN_GETDISPINFOW, LVN_ENDLABELEDITW,
// HDN_ITEMCLICKW). Strings stay UTF-8 everywhere else.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/Control.h"
#include "toolkit/Handles.h"
#include "toolkit/Messages.h"

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  // Name the window class is registered under, one per kind of control.
  std::string WinClassName;
  // The system class superclassed, or empty for a window of the toolkit's own.
  std::string BaseClassName;
  UINT ClassStyle = CS_DBLCLKS;
};

using TWinControlEvent = std::function<void(TObject *Sender)>;

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent *AOwner);
  // Destroys the child controls still in it (whoever owns them) and then its window.
  ~TWinControl() override;

  // The window, made now if it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The window if it exists, else null (never makes it).
  HWND WindowHandle() const { return FHandle; }
  void HandleNeeded() { Handle(); }
  // Destroys the window (children first) and makes it again when it is next needed.
  void RecreateWnd();

  // The control behind a window of the toolkit, or null.
  static TWinControl *FindControl(HWND wnd);

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl *Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }

  // The client area, origin 0,0 (also before the window exists).
  RECT ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientSize(int width, int height);
  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);

  // Lays the aligned and anchored children out again.
  void Realign();
  // While disabled (the calls are counted), the children are not laid out; the last enabling lays them out.
  void DisableAlign() { ++FAligning; }
  void EnableAlign();
  // Grows or shrinks to what the children need (the extent of the visible ones plus the border).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  // A bevel drawn around the window outside its client area (when BevelKind is not bkNone).
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);

  bool Focused() const;
  bool CanFocus() const;
  // Gives the control the input focus; in a form not shown yet, it gets it when the form is shown.
  virtual void SetFocus();

  void Invalidate() override;
  void Repaint() override;
  void Update();

  // Runs a message through WndProc directly (the window need not exist for messages that do not use it).
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Shows menu at a screen point with this control's window as its owner, so the menu's own messages
  // (WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, owner-drawn items' WM_MEASUREITEM and WM_DRAWITEM)
  // come to MenuMessage while it is open. With TPM_RETURNCMD (the default) the result is the chosen
  // command, 0 for none; without it the choice arrives as WM_COMMAND.
  UINT TrackPopup(HMENU menu, POINT screen, UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD);

  // One notch of the wheel turned towards the user (down) or away from them (up) at a screen point; the
  // base raises OnMouseWheelDown or OnMouseWheelUp. True when the notch was handled; the window's own
  // handling then does not see it. Public, so that a control can hand a notch to the control under the
  // pointer.
  virtual bool DoMouseWheelDown(TShiftState shift, POINT mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, POINT mousePos);

  // The window's shortcuts and dialog-style navigation for a key the message loop is about to dispatch
  // (a key or an Alt chord): the nearest control of the window it goes to may want it (WantSpecialKey);
  // if not, its top-level control may take it as a shortcut (IsShortCut); if not, a Tab, arrow, Enter or
  // Escape the control does not want either (WM_GETDLGCODE) may be taken by the top-level control
  // (DialogKey). True when the key was taken and must not be dispatched.
  static bool IsDialogKey(const MSG &msg);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

protected:
  friend class TControl;

  virtual void CreateParams(TCreateParams &params);
  // Called once the window exists (children not made yet); the base sends the font and the text.
  virtual void CreateWnd();
  // Destroys the window; a derived class that must undo something first overrides it (and calls this).
  virtual void DestroyWnd();
  // Destroys the window of this control and its children; a derived class whose DestroyWnd matters calls
  // this from its own destructor, while its override can still run.
  void DestroyHandle();

  virtual void WndProc(TMessage &message);
  // The system's handling (the superclassed control's procedure or DefWindowProc).
  void DefaultHandler(TMessage &message);

  // Paints the client area of a window of the toolkit's own class (not for system controls) on Canvas;
  // the base fills it with Color.
  virtual void Paint();
  // The surface Paint draws on (its font is the control's); valid only while painting.
  TCanvas &Canvas() { return FCanvas; }
  // The part of the client area the aligned children share; a panel leaves its bevels out.
  virtual RECT AdjustedClientRect();
  // Widths (left, top, right, bottom) of the border the window's WM_NCCALCSIZE takes inside its frame, so that
  // the client area is known before the window exists; the base: its bevels.
  virtual RECT NonClientBorder();
  // Hands a notification to the child whose window sent it (see CN_BASE); false when it is no control.
  bool ReflectToChild(HWND child, TMessage &message);
  // A command from a menu (WM_COMMAND without a control); true when one took it.
  virtual bool DoMenuCommand(UINT id);

  // Messages at this control from a window that is not a toolkit control (a list view's header, a tree's
  // in-place edit or tooltip): WM_NOTIFY, WM_COMMAND, WM_DRAWITEM, WM_MEASUREITEM and WM_CTLCOLOR...,
  // with from the sending window (null when WM_MEASUREITEM names no child). The base gives them to the
  // window's own handling, which a system control needs for its children.
  virtual void ChildNotify(HWND from, TMessage &message);
  // The messages of a menu this window owns while it is open (TrackPopup): WM_INITMENUPOPUP,
  // WM_MENUSELECT, WM_MENUCHAR, and WM_MEASUREITEM and WM_DRAWITEM for ODT_MENU items. The base gives them
  // to the window's own handling.
  virtual void MenuMessage(TMessage &message);
  // Whether the control takes a key itself rather than leave it to the window's shortcuts and to
  // dialog-style navigation (also reached through CM_WANTSPECIALKEY); the base wants none.
  virtual bool WantSpecialKey(WORD key, TShiftState shift);
  // A key the focused control does not want, offered to its top-level control as a shortcut before
  // anything else sees it; true when it took it. The base takes none.
  virtual bool IsShortCut(WORD key, TShiftState shift);
  // A Tab, arrow, Enter or Escape no control wanted, offered to the top-level control of the one with the
  // focus; true when it took it. The base takes none (a form moves the focus on Tab).
  virtual bool DialogKey(WORD key, TShiftState shift);
  // Color changed (CM_COLORCHANGED): the base repaints and passes the colour to children that follow it.
  virtual void CMColorChanged(TMessage &message);
  // The system's colours changed (CM_SYSCOLORCHANGE): the base lets the window's own handling see
  // WM_SYSCOLORCHANGE (a system control reloads its colours), repaints and passes it to every child.
  virtual void CMSysColorChange(TMessage &message);
  // For the top-level control: a control inside it asks for the focus while it is not shown yet. True
  // when it will give the focus once shown; the base does not.
  virtual bool DeferFocus(TWinControl *control);
  // Whether the window has a menu bar (it takes room from the client area before the window exists).
  virtual bool HasMenuBar() const { return false; }

  virtual void KeyDown(WORD &key, TShiftState shift);
  virtual void KeyUp(WORD &key, TShiftState shift);
  virtual void KeyPress(wchar_t &key);
  virtual void DoEnter();
  virtual void DoExit();

  // Scales the bevel, then every child; the children are laid out once, at the end.
  void ChangeScale(int newPPI, int oldPPI) override;

  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void ColorChanged() override;
  void FontChanged() override;
  void TextChanged() override;

  bool OwnClass() const { return FOwnClass; }
  // Lets the window of a control set its text and font itself (true for system controls).
  virtual bool SendsFontToWindow() const { return !FOwnClass; }

private:
  friend LRESULT CALLBACK ToolkitWndProc(HWND, UINT, WPARAM, LPARAM);

  void CreateHandle();
  // Forgets the window once it is gone (its handle and control id free again).
  void WindowGone();
  TWinControl *TopLevelControl();
  void InsertControl(TControl *control);
  // Makes the windows of the children that have none yet (this control has one).
  void MakeChildWindows();
  void RemoveControl(TControl *control);
  void AlignControls();
  void DoAutoSize();
  int NonClientBevel() const;
  // Whether the window has anything outside its client area (a frame, a caption, a menu, scroll bars shown).
  bool HasNonClientArea() const;
  void FrameChanged();
  // The window's place, relative to the parent's client area (on the screen for a top-level window).
  RECT WindowBounds();
  void ApplyZOrder();
  // Whether a sibling before this one (behind it) has a window.
  bool HasWindowBehind() const;
  HBRUSH ColorBrush();
  void PaintTo(HDC dc);

  // WndProc's dispatch of the input messages and of those a parent gets about its children and menus;
  // false for any other message.
  bool DispatchInput(TMessage &message);
  bool DispatchChildMessage(TMessage &message);
  // The handlers WndProc dispatches to.
  void WMNotify(TMessage &message);
  void WMCommand(TMessage &message);
  void WMDrawItem(TMessage &message);
  void WMMeasureItem(TMessage &message);
  void WMCtlColor(TMessage &message);
  void CNCtlColor(TMessage &message);
  void WMNotifyFormat(TMessage &message);
  void WMEraseBkgnd(TMessage &message);
  void WMPaint(TMessage &message);
  void WMPrintClient(TMessage &message);
  void WMSizeOrMove(TMessage &message);
  void WMGetDlgCode(TMessage &message);
  void CNKeyDown(TMessage &message);
  void CMWantSpecialKey(TMessage &message);
  void WMSysColorChange(TMessage &message);
  void WMCancelMode(TMessage &message);
  void WMFocus(TMessage &message);
  void WMNCDestroy(TMessage &message);
  void HandleMouse(TMessage &message);
  void WMMouseWheel(TMessage &message);
  void HandleKey(TMessage &message);
  void HandleSetCursor(TMessage &message);
  void HandleContextMenu(TMessage &message);
  void HandleNonClient(TMessage &message);

  HWND FHandle = nullptr;
  // The id the window carries among its siblings (unique in the process; 0 for a top-level window), by
  // which the parent finds the control that sent WM_MEASUREITEM.
  UINT FControlId = 0;
  WNDPROC FDefWndProc = nullptr;
  bool FOwnClass = true;
  std::vector<TControl *> FControls;
  uint64_t FAlignCounter = 0;
  int FAligning = 0;
  bool FRealignPending = false;
  bool FAutoSize = false;
  bool FClicked = false;
  // Wheel movement not yet worth a whole notch (high-resolution wheels send fractions of WHEEL_DELTA).
  int FWheelAccumulator = 0;
  bool FWheelHandled = false;
  bool FClearing = false;
  TBorderStyle FBorderStyle = bsNone;
  TBevelKind FBevelKind = bkNone;
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  int FBevelWidth = 1;
  TCanvas FCanvas;
  TGdiObject<HBRUSH> FBrush;
  COLORREF FBrushColor = 0;
};
