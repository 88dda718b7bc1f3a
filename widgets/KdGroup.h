#pragma once
// The framed group panel with its frame properties open to every user.
#include "widgets/KdCustomGroup.h"

class TKdGroup : public TKdCustomGroup {
public:
  using TKdCustomGroup::TKdCustomGroup;

  using TKdCustomGroup::Alignment;
  using TKdCustomGroup::DefaultDrawing;
  using TKdCustomGroup::FrameSpace;
  using TKdCustomGroup::FrameStyle;
  using TKdCustomGroup::OnPaint;
  using TKdCustomGroup::SetAlignment;
  using TKdCustomGroup::SetFrameSpace;
  using TKdCustomGroup::SetFrameStyle;
};
