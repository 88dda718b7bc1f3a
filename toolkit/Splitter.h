#pragma once
// A bar between two aligned siblings: dragging it resizes the sibling it sits next to (the one on its
// alignment's edge side), within MinSize and the room the parent leaves.
#include "toolkit/WinControl.h"

class TSplitter : public TWinControl {
public:
  explicit TSplitter(TComponent *AOwner);

  // Smallest size of the resized sibling and of what remains beside it, in the splitter's pixels (30 at 96
  // dpi).
  int MinSize = 30;
  // Raised when a drag ends.
  TNotifyEvent OnMoved;

protected:
  void CreateParams(TCreateParams &params) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent *component, bool inserted) override;
  void ChangeScale(int newPPI, int oldPPI) override;

private:
  TControl *FindNeighbour();
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }

  TControl *FControl = nullptr;
  bool FDragging = false;
  POINT FDownPos = {0, 0};
  int FStartSize = 0;
  int FMaxSize = 0;
};
