#include "toolkit/win32/accessible.h"

// The GUIDs of oleacc.h (the services' class and interface, the properties) are defined here.
#include <initguid.h>
#include <oleacc.h>

#include "toolkit/win32/text.h"

namespace tk::win32 {
namespace {

// Made at the first annotation and kept for the program's life, with COM on the window
// thread: the annotations live in oleacc's window properties, not in this object.
IAccPropServices* services() {
  static IAccPropServices* const made = [] {
    // S_FALSE or RPC_E_CHANGED_MODE: COM is there already, in whatever apartment.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* created = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&created)))) {
      return static_cast<IAccPropServices*>(nullptr);
    }
    return created;
  }();
  return made;
}

// Marks a control that carries an annotation of ours, for clearAnnotations.
constexpr const wchar_t* annotatedProperty = L"Querlan.SpokenName";

bool annotated(HWND control) {
  return GetPropW(control, annotatedProperty) != nullptr;
}

}  // namespace

// A screen reader is not worth an error box: without the services the control keeps the name
// Windows gives it.
void annotateName(HWND control, const std::string& name) {
  IAccPropServices* annotations = services();
  if (annotations == nullptr) return;
  if (name.empty()) {
    clearAnnotations(control);
    return;
  }
  const std::wstring wide = widen(name);
  if (SUCCEEDED(annotations->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            PROPID_ACC_NAME, wide.c_str()))) {
    SetPropW(control, annotatedProperty, reinterpret_cast<HANDLE>(1));
  }
}

void clearAnnotations(HWND control) {
  if (!annotated(control)) return;
  MSAAPROPID name = PROPID_ACC_NAME;
  services()->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
  RemovePropW(control, annotatedProperty);
}

}  // namespace tk::win32
