#include "toolkit/Font.h"

#include <cmath>
#include <cstring>

TFont::TFont() = default;

TFont::~TFont() = default;

TFont::TFont(const TFont &other)
    : FName(other.FName), FHeight(other.FHeight), FStyle(other.FStyle), FColor(other.FColor),
      FPixelsPerInch(other.FPixelsPerInch), FHandle(other.FHandle) {}

TFont &TFont::operator=(const TFont &other) {
  Assign(other);
  return *this;
}

bool TFont::SameFace(const TFont &other) const {
  return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle &&
         FPixelsPerInch == other.FPixelsPerInch;
}

bool TFont::SameAs(const TFont &other) const { return SameFace(other) && FColor == other.FColor; }

void TFont::Assign(const TFont &other) {
  if (this == &other)
    return;
  bool sameFace = SameFace(other);
  bool changed = !sameFace || FColor != other.FColor;
  if (!sameFace) {
    FName = other.FName;
    FHeight = other.FHeight;
    FStyle = other.FStyle;
    FPixelsPerInch = other.FPixelsPerInch;
    FHandle.reset();
  }
  FColor = other.FColor;
  if (other.FHandle)
    FHandle = other.FHandle;
  if (changed && OnChange)
    OnChange();
}

void TFont::SetName(const std::string &value) {
  if (value != FName) {
    FName = value;
    Changed();
  }
}

void TFont::SetHeight(int value) {
  if (value != FHeight) {
    FHeight = value;
    Changed();
  }
}

int TFont::Size() const { return static_cast<int>(std::lround(-FHeight * 72.0 / DefaultPixelsPerInch)); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, DefaultPixelsPerInch, 72)); }

void TFont::SetPixelsPerInch(int value) {
  if (value > 0 && value != FPixelsPerInch) {
    FPixelsPerInch = value;
    Changed();
  }
}

int TFont::PixelHeight() const { return ScaleValue(FHeight, FPixelsPerInch); }

void TFont::SetStyle(TFontStyles value) {
  if (value != FStyle) {
    FStyle = value;
    Changed();
  }
}

void TFont::SetColor(TColor value) {
  if (value != FColor) {
    FColor = value;
    // The colour is not part of the GDI font: the handle stays valid.
    if (OnChange)
      OnChange();
  }
}

void TFont::Changed() {
  FHandle.reset();
  if (OnChange)
    OnChange();
}

HFONT TFont::Handle() const {
  if (!FHandle || !*FHandle) {
    LOGFONTA lf = {};
    lf.lfHeight = PixelHeight();
    lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
    lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
    FHandle = std::make_shared<const TGdiObject<HFONT>>(CreateFontIndirectA(&lf));
  }
  return FHandle->Get();
}
