// What screen readers read of the native controls, through MSAA and UI Automation's MSAA
// proxy. Static labels, buttons and windows are read by their own text. An edit box or combo
// box is read by the static text right before it in the Z order, Windows' label convention,
// which ChildControl::standWithLabel keeps. A spinner's label stands with its edit box, so
// each field also gets its label's text as an explicit name, by Dynamic Annotation
// (IAccPropServices), which oleacc's proxies of the standard controls consult first.
#pragma once

#include <windows.h>

#include <string>

namespace tk::win32 {

// Names the control's client object (OBJID_CLIENT, CHILDID_SELF); an empty name takes the
// annotation away, leaving the control's own.
void annotateName(HWND control, const std::string& name);
// Takes every annotation of ours away, as the documentation asks before the window goes.
void clearAnnotations(HWND control);

}  // namespace tk::win32
