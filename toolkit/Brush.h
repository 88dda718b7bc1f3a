#pragma once
// A solid brush description and the GDI brush made from it on demand; OnChange tells whoever lent it out
// that a handler changed it.
#include <windows.h>

#include <functional>

#include "toolkit/Graphics.h"
#include "toolkit/Handles.h"

class TBrush {
public:
  explicit TBrush(TColor color = clWhite) : FColor(color) {}
  TBrush(const TBrush &) = delete;
  TBrush &operator=(const TBrush &) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);

  // The GDI brush for the current colour; owned by this object, valid until the colour changes.
  HBRUSH Handle() const;

  std::function<void()> OnChange;

private:
  TColor FColor;
  // Deleting a stock object (the null brush of clNone) does nothing, so it may be held here too.
  mutable TGdiObject<HBRUSH> FHandle;
};
