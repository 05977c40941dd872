// The main window's controls at creation, and the proportional layout that places them
// whenever the window's size changes.
#include "windows/Layout.h"
#include "windows/Main.h"

void TfMain::applyLayout() {
  eDest.setText("log.txt");
  eDest.captionLabel().setText("Log-Datei");
  eDest.setCaptionSpacing(3);
  eDest.setFont({"MS Sans Serif", -23});
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

using layout::margin;
using layout::mulDiv;
using layout::place;

namespace {
constexpr int rows = 19;
}  // namespace

void TfMain::FormResize() {
  const tk::Size client = clientSize();
  const int cw = client.width;
  const int ch = client.height;
  const int u = ch / rows;
  const tk::Font font = layout::rowFont(u);
  auto rowTop = [ch](int row) { return mulDiv(ch, row, rows); };
  const int buttonWidth = (cw - margin) / 4 - margin;
  const int buttonHeight = mulDiv(u, 5, 2);
  const int destWidth = mulDiv(cw - margin, 3, 4);

  place(lBaudRateUsed, margin, rowTop(1), 3 * u, cw - 2 * margin, font);
  place(lComPortUsed, margin, rowTop(3), 3 * u, cw - 2 * margin, font);
  place(lSchnittAct, margin, rowTop(5), 3 * u, cw - 2 * margin, font);
  place(lTime, margin, rowTop(7), 3 * u, cw - 2 * margin, font);
  place(eDest, margin, rowTop(13), buttonHeight, destWidth - margin, font);
  eDest.captionLabel().setFont(font);
  place(bDest, destWidth + margin, rowTop(13), buttonHeight, buttonWidth, font);
  place(bHolen, margin, rowTop(16), buttonHeight, buttonWidth, font);
  place(bAbbrechen, margin, rowTop(16), buttonHeight, buttonWidth, font);
  place(bSetup, (cw - margin) / 4 + margin, rowTop(16), buttonHeight, buttonWidth, font);
  place(bBeenden, mulDiv(cw - margin, 2, 4) + margin, rowTop(16), buttonHeight, buttonWidth, font);
}
