#include "toolkit/wx/gtk.h"

#include <gtk/gtk.h>

namespace tk::wx {
namespace {

constexpr const char* compactWindowName = "querlan-window";

constexpr const char* compactStyle = R"(
#querlan-window entry,
#querlan-window button,
#querlan-window combobox button,
#querlan-window combobox entry {
  min-height: 0;
  padding: 1px 3px;
}
)";

void relabel(GtkDialog* dialog, int response, const std::string& label) {
  GtkWidget* button = gtk_dialog_get_widget_for_response(dialog, response);
  if (button != nullptr) gtk_button_set_label(GTK_BUTTON(button), label.c_str());
}

}  // namespace

void installCompactStyle() {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, compactStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

void useCompactStyle(wxWindow& frame) {
  gtk_widget_set_name(frame.GetHandle(), compactWindowName);
}

void useCompactCells(wxWindow& dropDownList) {
  GtkCellLayout* layout = GTK_CELL_LAYOUT(dropDownList.GetHandle());
  GList* cells = gtk_cell_layout_get_cells(layout);
  for (GList* cell = cells; cell != nullptr; cell = cell->next) {
    GtkCellRenderer* renderer = GTK_CELL_RENDERER(cell->data);
    int horizontal = 0;
    gtk_cell_renderer_get_padding(renderer, &horizontal, nullptr);
    gtk_cell_renderer_set_padding(renderer, horizontal, 0);
  }
  g_list_free(cells);
}

double fontResolution() {
  const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  return resolution > 0 ? resolution : 96.0;  // GTK's own default when none is set
}

void setTransientParent(wxWindow& window, wxWindow* parent) {
  gtk_window_set_transient_for(GTK_WINDOW(window.GetHandle()),
                               parent != nullptr ? GTK_WINDOW(parent->GetHandle()) : nullptr);
}

void setDialogButtonLabels(wxWindow& dialog, const std::string& accept, const std::string& cancel) {
  auto* native = GTK_DIALOG(dialog.GetHandle());
  relabel(native, GTK_RESPONSE_ACCEPT, accept);
  relabel(native, GTK_RESPONSE_CANCEL, cancel);
}

}  // namespace tk::wx
