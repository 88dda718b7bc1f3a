#include "app/TabPanel.h"

void TTabPanel::Paint() {
  // The bevels are drawn over the colour too, so no strip of another colour shows between them.
  TCanvas &canvas = Canvas();
  canvas.BrushColor = Color();
  canvas.FillRect(ClientRect());
  TPanel::Paint();
}
