#pragma once
// A plain container: filled with its colour, framed by bevels inside its client area, with a centred
// caption. Its aligned children share the area inside the bevels.
#include "toolkit/WinControl.h"

class TPanel : public TWinControl {
public:
  explicit TPanel(TComponent *AOwner);

  // The panel's own bevels (BevelWidth pixels each, one at 96 dpi), drawn inside the client area (these hide the window
  // bevels of TWinControl, which a panel does not use).
  TBevelCut BevelOuter() const { return FPanelBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut BevelInner() const { return FPanelBevelInner; }
  void SetBevelInner(TBevelCut value);
  int BevelWidth() const { return FPanelBevelWidth; }
  void SetBevelWidth(int value);
  // Space between the outer and the inner bevel.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);

protected:
  void CreateParams(TCreateParams &params) override;
  void Paint() override;
  RECT AdjustedClientRect() override;
  // The bevels' and the border's widths too.
  void ChangeScale(int newPPI, int oldPPI) override;

private:
  void BevelsChanged();

  TBevelCut FPanelBevelOuter = bvRaised;
  TBevelCut FPanelBevelInner = bvNone;
  int FPanelBevelWidth = 1;
  int FBorderWidth = 0;
};
