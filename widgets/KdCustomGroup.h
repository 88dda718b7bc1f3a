#pragma once
// A container that draws a frame around its children. The frame lies in the window's non-client area, so
// children aligned to the client area never cover it. In the group style the caption interrupts the top
// frame line, as on a group box; in the other styles the caption (with DefaultDrawing) is drawn inside the
// client area with the chosen alignment.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/WinControl.h"

enum TKdFrameStyle : uint8_t {
  kdfsNone,
  kdfsGroup,
  kdfsLowered,
  kdfsRaised,
  kdfsDint,
  kdfsBump,
  kdfsSingle,
  kdfsHorzLine,
  kdfsHorzEdge,
  kdfsVertLine,
  kdfsVertEdge,
};
constexpr int KdFrameStyleCount = kdfsVertEdge + 1;

using TKdFramePaintEvent = std::function<void(TObject *aSender, TCanvas &aCanvas)>;

class TKdCustomGroup : public TWinControl {
public:
  explicit TKdCustomGroup(TComponent *AOwner);

  // Sets Enabled of every child control.
  void EnableChildren(bool enabled);
  // Has the window measure and paint its frame again.
  void FrameChanged();

protected:
  TAlignment Alignment() const { return FAlignment; }
  // Values beyond the alignments are ignored.
  void SetAlignment(TAlignment value);
  // Pixels kept free to the left and right of a caption drawn in the client area (2 at 96 dpi).
  int FrameSpace() const { return FFrameSpace; }
  void SetFrameSpace(int value);
  TKdFrameStyle FrameStyle() const { return FFrameStyle; }
  // A new style makes the window anew (its border is measured when the window is made); values beyond the
  // last style are ignored.
  void SetFrameStyle(TKdFrameStyle value);

  // With it the client area is filled with Color and, outside the group style, shows the caption; without
  // it the client area is left to OnPaint. Changing it repaints nothing by itself.
  bool DefaultDrawing = true;
  // Runs after the default drawing, on the control's canvas.
  TKdFramePaintEvent OnPaint;

  // Draws the frame for the window rectangle rect (origin 0,0) on canvas, whose client part is clipped away.
  virtual void PaintFrame(TCanvas &canvas, const RECT &rect);
  // The etched group frame with the caption in its top line, embossed when not enabled.
  void DrawGroupFrame(TCanvas &canvas, const RECT &rect, const std::string &caption, bool enabled, TColor color);
  // Whether a stored form must hold the frame style (it differs from the class's own default).
  virtual bool FrameStyleStored() const { return FFrameStyle != kdfsGroup; }

  void CreateParams(TCreateParams &params) override;
  void WndProc(TMessage &message) override;
  void Paint() override;
  RECT NonClientBorder() override;
  void DefineProperties(TFiler *Filer) override;

  void EnabledChanged() override;
  void TextChanged() override;
  void CMColorChanged(TMessage &message) override;
  void CMSysColorChange(TMessage &message) override;
  void FontChanged() override;
  void ChangeScale(int newPPI, int oldPPI) override;

  // Screen pixels to each pixel of the frame's lines: one at 96 dpi, two at 192.
  int LineWidth() const;

private:
  // Height of the top border in the group style: the text height of the font with a caption, else 2.
  int GroupTopBorder();
  void CalcNonClientSize(TMessage &message);
  void PaintNonClient();
  void PrintWindowTo(TMessage &message);
  void PaintFrameOn(HDC dc);
  void DrawGroupCaption(TCanvas &canvas, RECT rect, const std::string &caption, TColor textColor, TColor background);

  TAlignment FAlignment = taCenter;
  int FFrameSpace = 2;
  TKdFrameStyle FFrameStyle = kdfsGroup;
  // Set by a new style: the first size calculation of the new window then asks for a full redraw.
  bool FFrameStyleChanged = false;
};
