// The main window's controls at creation, and the proportional layout that places them
// whenever the window's size changes.
#include "windows/Layout.h"
#include "windows/Main.h"

namespace {

constexpr int destCaptionSpacing = 3;  // between "Log-Datei" and its box, in 96-DPI pixels

}  // namespace

void TfMain::applyLayout() {
  eDest.setText("log.txt");
  eDest.captionLabel().setText("Log-Datei");
  eDest.setCaptionSpacing(pixels(destCaptionSpacing));
  eDest.setFont({"MS Sans Serif", -pixels(23)});
  eDest.setTabOrder(0);
  bDest.setTabOrder(1);
  bHolen.setDefault(true);
  bHolen.setTabOrder(2);
  bSetup.setTabOrder(3);
  bAbbrechen.setVisible(false);
  bAbbrechen.setDefault(true);
  bAbbrechen.setTabOrder(4);
  bBeenden.setTabOrder(5);
  odDest.setFileName("Dest.txt");
  odDest.setFilter("Alle Dateien (*.*)|*.*");
}

using layout::mulDiv;
using layout::place;

void TfMain::FormResize() {
  const layout::Pass pass(*this, 19);
  const int cw = pass.width;
  const int u = pass.unit;
  const int margin = pass.margin;
  const tk::Font& font = pass.font;
  const int buttonWidth = (cw - margin) / 4 - margin;
  const int buttonHeight = mulDiv(u, 5, 2);
  const int destWidth = mulDiv(cw - margin, 3, 4);

  place(lBaudRateUsed, margin, pass.top(1), 3 * u, cw - 2 * margin, font);
  place(lComPortUsed, margin, pass.top(3), 3 * u, cw - 2 * margin, font);
  place(lSchnittAct, margin, pass.top(5), 3 * u, cw - 2 * margin, font);
  place(lTime, margin, pass.top(7), 3 * u, cw - 2 * margin, font);
  place(eDest, margin, pass.top(13), buttonHeight, destWidth - margin, font);
  eDest.setCaptionSpacing(pixels(destCaptionSpacing));
  eDest.captionLabel().setFont(font);
  place(bDest, destWidth + margin, pass.top(13), buttonHeight, buttonWidth, font);
  place(bHolen, margin, pass.top(16), buttonHeight, buttonWidth, font);
  place(bAbbrechen, margin, pass.top(16), buttonHeight, buttonWidth, font);
  place(bSetup, (cw - margin) / 4 + margin, pass.top(16), buttonHeight, buttonWidth, font);
  place(bBeenden, mulDiv(cw - margin, 2, 4) + margin, pass.top(16), buttonHeight, buttonWidth,
        font);
}
