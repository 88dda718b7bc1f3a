#pragma once
// What a custom-draw handler of the tree and list views works with: the control's font and the paint
// colours as ordinary font and brush objects. A handler changes them (or asks to skip the default drawing)
// and Apply turns that into the notification's result once the handlers have run.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>

#include "toolkit/Brush.h"
#include "toolkit/Component.h"
#include "toolkit/Font.h"

// The paint stage of a notification, in a form handlers can switch on.
enum TKdCustomDrawStage : uint8_t {
  kdcdsOther = 0,
  kdcdsPrePaint = 1,
  kdcdsPostPaint = 2,
  kdcdsItemPrePaint = 4,
  kdcdsItemPostPaint = 5,
};

class TKdCustomDraw : public TObject {
public:
  // record and result belong to the notification being answered; controlFont is the control's font (not
  // owned), whose copy in the device context's text colour becomes Font.
  TKdCustomDraw(NMCUSTOMDRAW *record, TFont *controlFont, LRESULT *result);
  ~TKdCustomDraw() override;
  TKdCustomDraw(const TKdCustomDraw &) = delete;
  TKdCustomDraw &operator=(const TKdCustomDraw &) = delete;

  TKdCustomDrawStage Stage() const;
  NMCUSTOMDRAW *NotifyRecord() const { return FRecord; }
  LRESULT *ResultPtr() const { return FResult; }
  TFont *ControlFont() const { return FControlFont; }
  // The font the item is drawn with; any change marks FontChanged.
  TFont *Font() const { return FFont.get(); }
  // The text background; any change marks BrushChanged.
  TBrush *Brush() const { return FBrush.get(); }

  // Writes the result for what the handlers changed; the control calls it once after them.
  virtual void Apply() = 0;

  bool FontChanged = false;
  bool BrushChanged = false;
  // Pre-paint asks for a notification per item.
  bool NotifyItemDraw = false;
  // Set by a handler that drew the item itself (or wants it left undrawn).
  bool SkipDefault = false;
  // Set by a handler that wrote *ResultPtr() itself; tree objects leave such a result alone.
  bool ResultSet = false;

protected:
  // The stage logic trees and lists share: honourResultSet tells whether a handler's own result stands;
  // textColor and textBkColor are the record's colour fields.
  void ApplyResult(bool honourResultSet, COLORREF &textColor, COLORREF &textBkColor);

private:
  void Init(NMCUSTOMDRAW *record, LRESULT *result);
  void CreateFont();
  void CreateBrush();

  NMCUSTOMDRAW *FRecord = nullptr;
  LRESULT *FResult = nullptr;
  TFont *FControlFont = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
};
