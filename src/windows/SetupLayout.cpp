// The setup dialog's controls at creation, and its proportional layout.
#include "windows/Layout.h"
#include "windows/Setupunit.h"

void TfSetup::applyLayout() {
  leRecTime.setAutoHeight(false);
  leRecTime.setText("240");
  leRecTime.captionLabel().setText("Log-Zeit [sec]");
  leRecTime.setCaptionSpacing(pixels(8));
  leRecTime.setFont({"MS Sans Serif", -pixels(20)});
  leRecTime.setTabOrder(2);
  for (const char* port : {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}) {
    cbComPort.addItem(port);
  }
  cbComPort.setTabOrder(0);
  udRecTime.setRange(0, 400);
  udRecTime.setAssociate(leRecTime);
  udRecTime.setPosition(240);
  udRecTime.setTabOrder(1);
  bOk.setDefault(true);
  bOk.setTabOrder(3);
  bAbbrechen.setTabOrder(4);
  for (const char* rate : {"2400", "4800", "9600", "19200", "38400"}) cbBaudRate.addItem(rate);
  cbBaudRate.setText("");
  cbBaudRate.setTabOrder(5);
}

using layout::mulDiv;
using layout::place;

void TfSetup::FormResize() {
  const layout::Pass pass(*this, 20);
  const int cw = pass.width;
  const int u = pass.unit;
  const int margin = pass.margin;
  const tk::Font& font = pass.font;
  const int halfWidth = (cw - 3 * margin) / 2;

  place(lComPort, margin, pass.top(1), 3 * u, cw - 2 * margin, font);
  place(cbComPort, margin, pass.top(3), 4 * u, cw - 2 * margin, font);
  place(lBaudRate, margin, pass.top(6), 3 * u, cw - 2 * margin, font);
  place(cbBaudRate, margin, pass.top(8), 4 * u, cw - 2 * margin, font);
  // The edit box and the spinner share one line of the combo boxes' height.
  const int lineHeight = cbBaudRate.height();
  const int spinnerWidth = mulDiv(lineHeight, 3, 4);
  place(leRecTime, margin, pass.top(13), lineHeight, cw - 2 * margin - spinnerWidth, font);
  leRecTime.setCaptionSpacing(u / 2);
  leRecTime.captionLabel().setFont(font);
  udRecTime.setLeft(cw - margin - spinnerWidth);
  udRecTime.setTop(pass.top(13));
  udRecTime.setHeight(lineHeight);
  udRecTime.setWidth(spinnerWidth);
  place(bOk, margin, pass.top(17), 3 * u, halfWidth, font);
  place(bAbbrechen, cw / 2 + margin / 2, pass.top(17), 3 * u, halfWidth, font);
}
