#pragma once
// A solid pen description (colour and width) and the GDI pen made from it on demand.
#include <windows.h>

#include <functional>

#include "toolkit/Graphics.h"
#include "toolkit/Handles.h"

class TPen {
public:
  explicit TPen(TColor color = clBlack, int width = 1) : FColor(color), FWidth(width) {}
  TPen(const TPen &) = delete;
  TPen &operator=(const TPen &) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);

  // The GDI pen for the current description; owned by this object, valid until the description changes.
  HPEN Handle() const;

  std::function<void()> OnChange;

private:
  void Changed();

  TColor FColor;
  int FWidth;
  // Deleting a stock object (the null pen of clNone) does nothing, so it may be held here too.
  mutable TGdiObject<HPEN> FHandle;
};
