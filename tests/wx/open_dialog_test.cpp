// Windows filters in the GTK file dialog: "*.*" means every file there, not names with a dot.
#include <gtest/gtest.h>

#include "toolkit/wx/open_dialog.h"

namespace {

TEST(GtkWildcard, EveryStarDotStarPatternBecomesAStarAndNamesStayAsTheyAre) {
  const struct {
    std::string windows;
    std::string gtk;
  } cases[] = {
      {"Alle Dateien (*.*)|*.*", "Alle Dateien (*.*)|*"},
      {"Text|*.txt;*.*", "Text|*.txt;*"},
      {"Text|*.txt|Alle|*.*", "Text|*.txt|Alle|*"},
      {"Log|*.log;*.txt", "Log|*.log;*.txt"},
      {"Fast|*.*x", "Fast|*.*x"},
      {"*.*|*.*", "*.*|*"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(tk::wx::gtkWildcard(c.windows), c.gtk) << c.windows;
}

}  // namespace
