#pragma once
// A single-line edit box. Its window is a Unicode one, so any text round-trips (Text is UTF-8).
#include "toolkit/WinControl.h"

class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent *AOwner);

  std::string Text() const override;
  void SelectAll();
  int SelStart() const;
  int SelLength() const;

  // Raised when the text changes (by the user or by SetText).
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams &params) override;
  void WndProc(TMessage &message) override;
  // The keys that edit the text: typing, moving and selecting, and the clipboard and undo chords. Tab,
  // Enter, Escape, the function keys and every other chord stay the window's.
  bool WantSpecialKey(WORD key, TShiftState shift) override;
};
