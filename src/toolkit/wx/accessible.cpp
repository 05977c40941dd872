#include "toolkit/wx/accessible.h"

#include <atk/atk.h>
#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <limits>

namespace tk::wx {
namespace {

// The key under which a client area's widget carries its labels.
constexpr const char* labelsKey = "querlan-spoken-labels";

// --- A painted label's accessible object: role label, its text as name, its place. ---------

struct LabelAccessible {
  AtkObject parent;
  SpokenLabel* label;  // null once the label is gone
};
struct LabelAccessibleClass {
  AtkObjectClass parent;
};

LabelAccessible* asLabel(gpointer object) {
  return static_cast<LabelAccessible*>(object);
}

std::vector<AtkObject*> readingOrder(AtkObject* area);

AtkStateSet* labelStates(AtkObject* object) {
  AtkStateSet* states = atk_state_set_new();
  const SpokenLabel* label = asLabel(object)->label;
  if (label == nullptr) {
    atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
    return states;
  }
  if (label->spokenEnabled()) {
    atk_state_set_add_state(states, ATK_STATE_ENABLED);
    atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
  }
  if (label->spokenVisible()) {
    atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    // Shown as far as its window is: the area's own state says whether that is on screen.
    AtkObject* area = atk_object_get_parent(object);
    AtkStateSet* areaStates = area != nullptr ? atk_object_ref_state_set(area) : nullptr;
    if (areaStates != nullptr) {
      if (atk_state_set_contains_state(areaStates, ATK_STATE_SHOWING)) {
        atk_state_set_add_state(states, ATK_STATE_SHOWING);
      }
      g_object_unref(areaStates);
    }
  }
  return states;
}

const gchar* labelName(AtkObject* object) {
  const SpokenLabel* label = asLabel(object)->label;
  return label != nullptr ? label->spokenName().c_str() : nullptr;
}

gint labelIndex(AtkObject* object) {
  AtkObject* area = atk_object_get_parent(object);
  if (area == nullptr) return -1;
  gint index = -1;
  const std::vector<AtkObject*> order = readingOrder(area);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] == object) index = static_cast<gint>(i);
    g_object_unref(order[i]);
  }
  return index;
}

void labelExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                  AtkCoordType coordinates) {
  *x = *y = *width = *height = 0;
  const SpokenLabel* label = asLabel(component)->label;
  AtkObject* area = atk_object_get_parent(ATK_OBJECT(component));
  if (label == nullptr || area == nullptr || !ATK_IS_COMPONENT(area)) return;
  gint areaX = 0;
  gint areaY = 0;
  atk_component_get_extents(ATK_COMPONENT(area), &areaX, &areaY, nullptr, nullptr, coordinates);
  const wxRect bounds = label->spokenBounds();
  *x = areaX + bounds.x;
  *y = areaY + bounds.y;
  *width = bounds.width;
  *height = bounds.height;
}

void labelClassInit(gpointer type, gpointer) {
  auto* atk = static_cast<AtkObjectClass*>(type);
  atk->get_name = labelName;
  atk->ref_state_set = labelStates;
  atk->get_index_in_parent = labelIndex;
}

void labelComponentInit(gpointer iface, gpointer) {
  static_cast<AtkComponentIface*>(iface)->get_extents = labelExtents;
}

GType labelAccessibleType() {
  static const GType type = [] {
    const GType made = g_type_register_static_simple(
        atk_object_get_type(), "QuerlanLabelAccessible", sizeof(LabelAccessibleClass),
        labelClassInit, sizeof(LabelAccessible), nullptr, GTypeFlags{});
    const GInterfaceInfo component{labelComponentInit, nullptr, nullptr};
    g_type_add_interface_static(made, atk_component_get_type(), &component);
    return made;
  }();
  return type;
}

// --- The client area's accessible: its widgets' children and its painted labels. ----------

AtkObjectClass* areaParentClass = nullptr;

const SpokenLabels* labelsOf(AtkObject* area) {
  GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(area));
  if (widget == nullptr) return nullptr;
  return static_cast<const SpokenLabels*>(g_object_get_data(G_OBJECT(widget), labelsKey));
}

// Every child, referenced, as the window shows them: top to bottom, then left to right, so a
// label comes before the field it names.
std::vector<AtkObject*> readingOrder(AtkObject* area) {
  struct Child {
    int top;
    int left;
    AtkObject* object;
  };
  std::vector<Child> children;
  const gint widgets = areaParentClass->get_n_children(area);
  for (gint i = 0; i < widgets; ++i) {
    AtkObject* child = areaParentClass->ref_child(area, i);
    if (child == nullptr) continue;
    // A hidden widget (the stop button while idle) has no place of its own: it goes last.
    GtkAllocation place{0, std::numeric_limits<int>::max(), 0, 0};
    GtkWidget* widget =
        GTK_IS_ACCESSIBLE(child) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(child)) : nullptr;
    if (widget != nullptr && gtk_widget_get_visible(widget)) {
      gtk_widget_get_allocation(widget, &place);
    }
    children.push_back({place.y, place.x, child});
  }
  if (const SpokenLabels* labels = labelsOf(area)) {
    for (SpokenLabel* label : labels->all()) {
      const wxRect bounds = label->spokenBounds();
      children.push_back(
          {bounds.y, bounds.x, static_cast<AtkObject*>(g_object_ref(label->accessible(area)))});
    }
  }
  std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  std::vector<AtkObject*> order;
  for (const Child& child : children) order.push_back(child.object);
  return order;
}

gint areaChildCount(AtkObject* area) {
  const SpokenLabels* labels = labelsOf(area);
  return areaParentClass->get_n_children(area) +
         (labels != nullptr ? static_cast<gint>(labels->all().size()) : 0);
}

AtkObject* areaChild(AtkObject* area, gint index) {
  if (labelsOf(area) == nullptr) return areaParentClass->ref_child(area, index);
  AtkObject* found = nullptr;
  const std::vector<AtkObject*> order = readingOrder(area);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (static_cast<gint>(i) == index) {
      found = order[i];
    } else {
      g_object_unref(order[i]);
    }
  }
  return found;
}

void areaClassInit(gpointer type, gpointer) {
  auto* atk = static_cast<AtkObjectClass*>(type);
  areaParentClass = static_cast<AtkObjectClass*>(g_type_class_peek_parent(type));
  atk->get_n_children = areaChildCount;
  atk->ref_child = areaChild;
}

GType areaAccessibleType() {
  static const GType type =
      g_type_register_static_simple(gtk_container_accessible_get_type(), "QuerlanAreaAccessible",
                                    sizeof(GtkContainerAccessibleClass), areaClassInit,
                                    sizeof(GtkContainerAccessible), nullptr, GTypeFlags{});
  return type;
}

}  // namespace

// How often a changing label tells the bus, at most.
constexpr guint reportIntervalMs = 250;

SpokenLabel::~SpokenLabel() {
  if (pendingReport_ != 0) g_source_remove(pendingReport_);
  if (accessible_ == nullptr) return;
  asLabel(accessible_)->label = nullptr;
  atk_object_notify_state_change(accessible_, ATK_STATE_DEFUNCT, TRUE);
  g_object_unref(accessible_);
}

void SpokenLabel::spokenTextChanged() {
  if (accessible_ == nullptr) return;
  name_ = spokenText();
  if (pendingReport_ == 0) pendingReport_ = g_timeout_add(reportIntervalMs, reportName, this);
}

int SpokenLabel::reportName(void* data) {
  auto* label = static_cast<SpokenLabel*>(data);
  label->pendingReport_ = 0;
  if (label->name_ != label->reported_) {
    label->reported_ = label->name_;
    // ATK turns this into its property-change signal, with the name read from labelName().
    g_object_notify(G_OBJECT(label->accessible_), "accessible-name");
  }
  return G_SOURCE_REMOVE;
}

void SpokenLabel::spokenStateChanged() {
  if (accessible_ == nullptr) return;
  atk_object_notify_state_change(accessible_, ATK_STATE_VISIBLE, spokenVisible());
  atk_object_notify_state_change(accessible_, ATK_STATE_SHOWING, spokenVisible());
  atk_object_notify_state_change(accessible_, ATK_STATE_ENABLED, spokenEnabled());
  atk_object_notify_state_change(accessible_, ATK_STATE_SENSITIVE, spokenEnabled());
}

AtkObject* SpokenLabel::accessible(AtkObject* parent) {
  if (accessible_ == nullptr) {
    accessible_ = ATK_OBJECT(g_object_new(labelAccessibleType(), nullptr));
    asLabel(accessible_)->label = this;
    atk_object_set_role(accessible_, ATK_ROLE_LABEL);
    atk_object_set_parent(accessible_, parent);
    name_ = reported_ = spokenText();
  }
  return accessible_;
}

SpokenLabels::SpokenLabels(wxWindow& area) : area_(area) {
  GtkWidget* widget = area.GetHandle();
  // The area's widget class is wxWidgets' own, shared by every wxWindow: the labels' accessible
  // type acts as GTK's container accessible wherever no labels are attached.
  gtk_widget_class_set_accessible_type(GTK_WIDGET_GET_CLASS(widget), areaAccessibleType());
  g_object_set_data(G_OBJECT(widget), labelsKey, this);
}

SpokenLabels::~SpokenLabels() {
  if (GtkWidget* widget = area_.GetHandle())
    g_object_set_data(G_OBJECT(widget), labelsKey, nullptr);
}

void SpokenLabels::remove(SpokenLabel& label) {
  std::erase(labels_, &label);
}

void setSpokenName(wxWindow& widget, const std::string& name) {
  atk_object_set_name(gtk_widget_get_accessible(widget.GetHandle()), name.c_str());
}

void useSpinButtonRole(wxWindow& widget) {
  atk_object_set_role(gtk_widget_get_accessible(widget.GetHandle()), ATK_ROLE_SPIN_BUTTON);
}

}  // namespace tk::wx
