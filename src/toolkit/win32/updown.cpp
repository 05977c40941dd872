// The up-down spinner. The front owns the position and writes it into its edit box, so the
// native control has no buddy: it only reports its arrows (UDN_DELTAPOS), and refuses to
// move itself. It sits in the middle of a wide range, so it never stops at an end.
#include <windows.h>

#include <commctrl.h>

#include "toolkit/win32/controls.h"

namespace tk::win32 {
namespace {

constexpr int nativeRange = 10000;

class NativeUpDown final : public NativeControl<backend::UpDownPeer> {
 public:
  NativeUpDown(backend::WindowPeer& parent, UpDown& upDown)
      : NativeControl(parent, upDown, UPDOWN_CLASSW, UDS_ARROWKEYS | UDS_NOTHOUSANDS) {
    SendMessageW(handle(), UDM_SETRANGE32, static_cast<WPARAM>(-nativeRange), nativeRange);
    SendMessageW(handle(), UDM_SETPOS32, 0, 0);
  }

  LRESULT notify(const NMHDR& header) override {
    if (header.code != UDN_DELTAPOS) return 0;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    if (change.iDelta != 0)
      backend::FrontAccess::stepped(static_cast<UpDown&>(front()), change.iDelta > 0 ? 1 : -1);
    return TRUE;  // the native position stays where it is
  }
};

}  // namespace
}  // namespace tk::win32

namespace tk::backend {

std::unique_ptr<UpDownPeer> createUpDown(WindowPeer& parent, UpDown& front) {
  return std::make_unique<tk::win32::NativeUpDown>(parent, front);
}

}  // namespace tk::backend
