// What a screen reader reads of the real windows through MSAA (and UI Automation, whose proxy
// for these controls asks MSAA): every label its text, every field its label's, every button
// its caption without the "&".
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <optional>
#include <string>

#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace {

using tk::win32::nativeHandle;
using tk::win32::widen;

// The name of the control's client object, as a screen reader asks for it; none where oleacc
// has no object for the window.
std::optional<std::wstring> spokenName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&object)))) {
    return std::nullopt;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT asked = object->get_accName(self, &name);
  object->Release();
  std::wstring result = SUCCEEDED(asked) && name != nullptr ? name : L"";
  SysFreeString(name);
  return result;
}

// Wine's oleacc reads no annotations (IAccPropServices), only the controls' own names.
bool underWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

struct Spoken {
  tk::Control& control;
  std::string name;
  // The label that stands right before it in the Z order, where Windows looks for a name.
  tk::Label* label = nullptr;
  // Named by its annotation alone, which Wine does not read.
  bool annotated = false;
};

TEST(ScreenReaders, ReadTheLabelsTheFieldsByTheirLabelsAndTheButtons) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TfMain main;
  TfSetup setup;
  // A layout pass each, as the first showing runs.
  main.setHeight(400);
  setup.setHeight(250);
  const std::string progress = "Verstrichen:\t3 von 10 s\n\t\t250 Zeichen wurden empfangen";
  main.lTime.setText(progress);
  const Spoken expected[] = {
      {main.lBaudRateUsed, "lBaudRateUsed"},
      {main.lTime, progress},
      {main.eDest.captionLabel(), "Log-Datei"},
      {main.eDest, "Log-Datei", &main.eDest.captionLabel()},
      {main.bDest, "Durchsuchen"},
      {main.bHolen, "Daten holen"},
      {setup.lComPort, "COM-Port"},
      {setup.cbComPort, "COM-Port", &setup.lComPort, true},
      {setup.cbBaudRate, "Baud-Rate", &setup.lBaudRate, true},
      {setup.leRecTime, "Log-Zeit [sec]", &setup.leRecTime.captionLabel()},
      {setup.udRecTime, "Log-Zeit [sec]", nullptr, true},
  };
  for (const Spoken& spoken : expected) {
    const HWND control = nativeHandle(spoken.control);
    if (spoken.label != nullptr) {
      EXPECT_EQ(GetWindow(control, GW_HWNDPREV), nativeHandle(*spoken.label)) << spoken.name;
    }
    if (!spoken.annotated || !underWine()) {
      EXPECT_EQ(spokenName(control), widen(spoken.name)) << spoken.name;
    }
  }
}

}  // namespace
