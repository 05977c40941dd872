// The few things the backend asks of GTK directly, where wxWidgets offers no way.
#pragma once

#include <wx/window.h>

#include <string>

namespace tk::wx {

// GTK's theme gives entries, buttons and combo boxes a minimum height of some 34 pixels, far
// more than the proportional layouts give them in a small window, and wide inner margins that
// clip a caption early. Windows controls shrink with their font and keep a few pixels of
// margin; this style lets ours do the same, for the program's own windows only.
void installCompactStyle();
void useCompactStyle(wxWindow& frame);

// Drops the vertical padding of a drop-down list's text cell, which the compact style cannot
// reach, so that the closed list fits the same height as an editable combo box.
void useCompactCells(wxWindow& dropDownList);

// The resolution, in dots per inch, at which GTK turns font points into pixels (the desktop's
// font scaling included).
double fontResolution();

// Makes a top-level window transient for `parent` (none for null): the window manager keeps
// it above its parent and places it on the parent's screen.
void setTransientParent(wxWindow& window, wxWindow* parent);

// Relabels the accept and cancel buttons of a native file dialog ("_" marks the mnemonic).
void setDialogButtonLabels(wxWindow& dialog, const std::string& accept, const std::string& cancel);

}  // namespace tk::wx
