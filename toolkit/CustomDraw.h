#pragma once
// The simple custom-draw events of the tree and list views (a control-wide one at pre-paint, one per item
// at item pre-paint), run for one NM_CUSTOMDRAW notification.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>

#include "toolkit/Canvas.h"

// What a custom-draw event paints: the whole control, or one item.
enum TCustomDrawTarget : uint8_t { dtControl, dtItem };

using TCustomDrawCall = std::function<void(bool &DefaultDraw)>;

// Runs the events on canvas and returns the notification's result. Pre-paint: drawControl (when set)
// paints over the control with the canvas in font and color, and itemsWanted asks for the items'
// notifications. Item pre-paint: drawItem (when set) paints the item with the canvas holding the item's
// font and colours (textColor, textBkColor); what the handler changes there is what the item is drawn with.
// A handler that clears DefaultDraw skips the control's own drawing.
LRESULT RunCustomDrawEvents(NMCUSTOMDRAW &record, COLORREF &textColor, COLORREF &textBkColor, TCanvas &canvas,
                            const TFont &font, TColor color, const TCustomDrawCall &drawControl, bool itemsWanted,
                            const TCustomDrawCall &drawItem);
