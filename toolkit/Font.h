#pragma once
// A font description (name, height or point size, style, colour) and the GDI font made from it on demand, for
// a screen of a given resolution. The description is the same on every screen: heights and sizes are those
// at 96 dpi, and the GDI font is made larger on a screen of more dots per inch.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Dpi.h"
#include "toolkit/Graphics.h"
#include "toolkit/Handles.h"

enum TFontStyle : uint8_t { fsBold = 0x01, fsItalic = 0x02, fsUnderline = 0x04, fsStrikeOut = 0x08 };
using TFontStyles = uint8_t;

class TFont {
public:
  TFont();
  ~TFont();
  TFont(const TFont &other);
  TFont &operator=(const TFont &other);

  // Copies the description and the resolution (not OnChange) and raises OnChange when anything differs.
  // Copies of one description (colour aside) for one resolution share one GDI font, so a copy's Handle equals
  // the original's.
  void Assign(const TFont &other);

  const std::string &Name() const { return FName; }
  void SetName(const std::string &value);
  // Pixels at 96 dpi; negative is the character height, positive the cell height (as in LOGFONT).
  int Height() const { return FHeight; }
  void SetHeight(int value);
  // Points.
  int Size() const;
  void SetSize(int points);
  // The resolution the GDI font is made for (96 unless set), and Height in its pixels.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value);
  int PixelHeight() const;
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);

  // The GDI font for the current description; shared with the copies of this font, valid until the
  // description changes or the object goes.
  HFONT Handle() const;

  bool SameAs(const TFont &other) const;
  // Same name, height, style and resolution: the colour, which is no part of the GDI font, aside.
  bool SameFace(const TFont &other) const;

  // Raised after every change of the description or the resolution.
  std::function<void()> OnChange;

private:
  void Changed();

  std::string FName = "Tahoma";
  int FHeight = -11;
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  int FPixelsPerInch = DefaultPixelsPerInch;
  // Shared by the copies of one face; the last of them to let go deletes the font.
  mutable std::shared_ptr<const TGdiObject<HFONT>> FHandle;
};
