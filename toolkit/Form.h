#pragma once
// A top-level window: caption, menu bar, window state, and the create, show and close events. Closing the
// application's main form ends the application's message loop. A form is laid out at the resolution of the
// monitor its window is on, and again at another's when it is moved there.
#include <windows.h>

#include <functional>

#include "toolkit/MainMenu.h"
#include "toolkit/WinControl.h"

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject *Sender, TCloseAction &Action)>;
using TCloseQueryEvent = std::function<void(TObject *Sender, bool &CanClose)>;
// A key (or chord) the focused control does not want; Handled set to true takes it.
using TShortCutEvent = std::function<void(TObject *Sender, WORD Key, TShiftState Shift, bool &Handled)>;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent *AOwner);
  ~TForm() override;

  // Creates a form and runs its OnCreate (what TApplication::CreateForm does for the main form).
  template <class T> static T *Create(TComponent *owner) {
    T *form = new T(owner);
    form->AfterConstruction();
    return form;
  }
  // Runs OnCreate once; a form class sets its controls and OnCreate up in its constructor, and whoever
  // creates it calls this afterwards (an exception from OnCreate goes to the application's handler).
  void AfterConstruction();

  TMainMenu *Menu() const { return FMenu; }
  void SetMenu(TMainMenu *value);

  TWindowState WindowState() const;
  void SetWindowState(TWindowState value);

  // The control that has (or gets, once the form is shown or activated) the input focus.
  TWinControl *ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl *value);

  // Makes the window and shows it (OnShow runs first) in its WindowState.
  void Show();
  // Asks OnCloseQuery, then OnClose decides: the main form ends the application; another form hides (or
  // minimizes, or destroys itself).
  void Close();
  bool CloseQuery();
  // Destroys the form once the messages already waiting have been handled.
  void Release();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  // The window's own keys, offered before the focused control handles the key.
  TShortCutEvent OnShortCut;

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;
  bool DeferFocus(TWinControl *control) override;
  bool HasMenuBar() const override { return FMenu != nullptr; }
  // Tab and Shift+Tab move the focus to the next or previous control that takes it (WS_TABSTOP).
  bool DialogKey(WORD key, TShiftState shift) override;
  // Raises OnShortCut.
  bool IsShortCut(WORD key, TShiftState shift) override;
  void VisibleChanged() override;
  void Notification(TComponent *component, bool inserted) override;

  // The window came to a monitor of another resolution: everything in it is scaled to ppi and the window
  // takes the place the platform suggests (screen coordinates), then lays its children out once.
  void WMDpiChanged(int ppi, const RECT &suggested);

  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoClose(TCloseAction &action);

private:
  void FocusActiveControl();
  void AssignActiveControl(TWinControl *value);

  TMainMenu *FMenu = nullptr;
  TWindowState FWindowState = wsNormal;
  TWinControl *FActiveControl = nullptr;
  bool FCreated = false;
};

// The form (top-level control) a control sits in, or null.
TForm *GetParentForm(TControl *control);
