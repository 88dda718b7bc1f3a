#pragma once
// A font description (name, height or point size, style, colour) and the GDI font made from it on demand.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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

  // Copies the description (not OnChange) and raises OnChange when anything differs. Copies of one
  // description (colour aside) share one GDI font, so a copy's Handle equals the original's.
  void Assign(const TFont &other);

  const std::string &Name() const { return FName; }
  void SetName(const std::string &value);
  // Pixels; negative is the character height, positive the cell height (as in LOGFONT).
  int Height() const { return FHeight; }
  void SetHeight(int value);
  // Points at the screen's pixels per inch.
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);

  // The GDI font for the current description; shared with the copies of this font, valid until the
  // description changes or the object goes.
  HFONT Handle() const;

  bool SameAs(const TFont &other) const;
  // Same name, height and style: the colour, which is no part of the GDI font, aside.
  bool SameFace(const TFont &other) const;

  // Raised after every change of the description.
  std::function<void()> OnChange;

  static int PixelsPerInch();

private:
  void Changed();

  std::string FName = "Tahoma";
  int FHeight = -11;
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  // Shared by the copies of one face; the last of them to let go deletes the font.
  mutable std::shared_ptr<const TGdiObject<HFONT>> FHandle;
};
