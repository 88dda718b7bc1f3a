#pragma once
// A solid brush description and the GDI brush made from it on demand; OnChange tells whoever lent it out
// that a handler changed it.
#include <windows.h>

#include <functional>

#include "toolkit/Graphics.h"

class TBrush {
public:
  explicit TBrush(TColor color = clWhite) : FColor(color) {}
  ~TBrush();
  TBrush(const TBrush &) = delete;
  TBrush &operator=(const TBrush &) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);

  // The GDI brush for the current colour; owned by this object, valid until the colour changes.
  HBRUSH Handle() const;

  std::function<void()> OnChange;

private:
  void ReleaseHandle() const;

  TColor FColor;
  mutable HBRUSH FHandle = nullptr;
};
