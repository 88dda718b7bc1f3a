#pragma once
// One pane of a splitter arrangement: a group panel with a sunken frame that carries, for the arrangement
// holding it, its smallest size and its place among the panes. The pane itself does not interpret them.
#include <cstdint>

#include "toolkit/ClassRegistry.h"
#include "widgets/KdGroup.h"

class TKdPane : public TKdGroup {
public:
  explicit TKdPane(TComponent *AOwner);

  // Pixels; stored in a form only when not 20.
  int32_t MinSize = 20;
  // Always stored, 0 included: a form that says 0 means 0, whatever a pane starts with.
  int32_t Index = 0;

protected:
  bool FrameStyleStored() const override { return FrameStyle() != kdfsLowered; }
  void DefineProperties(TFiler *Filer) override;
};

// The record under which the pane's class is known by name (see toolkit/ClassRegistry.h).
extern const TComponentClass KdPaneClass;
