// What screen readers see of a window, through ATK (GTK's accessibility, which its bridge
// hands to AT-SPI). Labels have no widget here: the client area paints them (label.cpp), so
// its accessible object lists them as children of its own, with the role label and their
// text as name. Nothing of this is made before a screen reader asks for it, so a program
// nobody reads pays only a pointer test per changed label.
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

#include <string>
#include <vector>

// ATK's own declaration, without its headers.
typedef struct _AtkObject AtkObject;

namespace tk::wx {

// A painted label as a screen reader reads it.
class SpokenLabel {
 public:
  SpokenLabel() = default;
  virtual ~SpokenLabel();
  SpokenLabel(const SpokenLabel&) = delete;
  SpokenLabel& operator=(const SpokenLabel&) = delete;

  // Its text, tabs and line breaks read as spaces.
  virtual std::string spokenText() const = 0;
  // Where it is, in the client area's coordinates.
  virtual wxRect spokenBounds() const = 0;
  virtual bool spokenVisible() const = 0;
  virtual bool spokenEnabled() const = 0;

  // Tell a screen reader that has asked for the label. Its name is always the text shown;
  // the change is reported at most four times a second, so a label that changes at every
  // tick of a recording does not flood the bus, and never as a live region that is spoken.
  void spokenTextChanged();
  void spokenStateChanged();

  // The accessible object, made at the first request; `parent` is the client area's.
  AtkObject* accessible(AtkObject* parent);
  // Its name as the accessible object reports it.
  const std::string& spokenName() const { return name_; }

 private:
  static int reportName(void* label);

  AtkObject* accessible_ = nullptr;
  std::string name_;
  std::string reported_;
  unsigned pendingReport_ = 0;  // the GLib source that reports the change, or 0
};

// The labels painted on one client area, which its accessible object lists among its
// children in reading order (top to bottom, then left to right).
class SpokenLabels {
 public:
  explicit SpokenLabels(wxWindow& area);
  ~SpokenLabels();
  SpokenLabels(const SpokenLabels&) = delete;
  SpokenLabels& operator=(const SpokenLabels&) = delete;

  void add(SpokenLabel& label) { labels_.push_back(&label); }
  void remove(SpokenLabel& label);
  const std::vector<SpokenLabel*>& all() const { return labels_; }

 private:
  wxWindow& area_;
  std::vector<SpokenLabel*> labels_;
};

// Names a native widget for screen readers: an edit box, combo box or spinner, after its label.
void setSpokenName(wxWindow& widget, const std::string& name);
// A widget drawn by the backend that a screen reader should read as a spin button.
void useSpinButtonRole(wxWindow& widget);

}  // namespace tk::wx
