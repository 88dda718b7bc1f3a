#include "widgets/KdPane.h"

#include "toolkit/ClassRegistry.h"

const TComponentClass KdPaneClass = {"TKdPane", [](TComponent *owner) -> TComponent * { return new TKdPane(owner); }};

TKdPane::TKdPane(TComponent *AOwner) : TKdGroup(AOwner) {
  SetFrameStyle(kdfsLowered);
  SetParentFont(true);
}

void TKdPane::DefineProperties(TFiler *Filer) {
  TKdGroup::DefineProperties(Filer);
  Filer->DefineIntegerProperty(
      "MinSize", [this](int32_t value) { MinSize = value; }, [this] { return MinSize; }, MinSize != 20);
  Filer->DefineIntegerProperty(
      "Index", [this](int32_t value) { Index = value; }, [this] { return Index; }, true);
}
