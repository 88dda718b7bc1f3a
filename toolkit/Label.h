#pragma once
// A line of static text on its parent's background. Its window is a Unicode one, so any caption shows as
// written; with AutoSize (the default) it takes the size of its text.
#include "toolkit/WinControl.h"

class TLabel : public TWinControl {
public:
  explicit TLabel(TComponent *AOwner);

  bool AutoSize() const { return FLabelAutoSize; }
  void SetAutoSize(bool value);

protected:
  void CreateParams(TCreateParams &params) override;
  void TextChanged() override;
  void FontChanged() override;

private:
  void AdjustBounds();

  bool FLabelAutoSize = true;
};
