#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"

namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(ErrorBoxText, AddsFullStopAfterCharactersAboveIt) {
  const Cases cases = {{"abc", "abc."},
                       {"x)", "x)"},
                       {"", ""},
                       {"Ende.", "Ende."},
                       {"Stream-Schreibfehler", "Stream-Schreibfehler."},
                       {"Maximum (5)", "Maximum (5)"},
                       {"kann nicht geöffnet werden", "kann nicht geöffnet werden."},
                       {"Maß", "Maß."},
                       {"\xE4", "\xE4."},
                       {"Wert 7", "Wert 7."},
                       {"Pfad /", "Pfad /."},
                       {"a-", "a-"},
                       {"a,", "a,"},
                       {"Ende\n", "Ende\n"}};
  for (const auto& [message, shown] : cases) EXPECT_EQ(core::errorBoxText(message), shown);
}

TEST(ApplicationTitle, IsFileNameUpToFirstDotWithLaterLettersLowered) {
  const Cases cases = {
      {"/usr/bin/Querlan", "Querlan"}, {"C:\\Prog\\QUERLAN.EXE", "Querlan"}, {"my.app.exe", "my"},
      {"./build/QuErLaN", "Querlan"},  {"D:/mixed\\Sep/TOOL2.exe", "Tool2"}, {"/opt/.hidden", ""}};
  for (const auto& [path, title] : cases) EXPECT_EQ(core::applicationTitle(path), title);
}

TEST(FillMessage, ReplacesFirstPlaceholderOnlyWithValueVerbatim) {
  const Cases cases = {
      {"Datei %s kann nicht erstellt werden", "Datei C:\\a %d b kann nicht erstellt werden"},
      {"Maximum (%d)", "Maximum (C:\\a %d b)"},
      {"%s und %s", "C:\\a %d b und %s"},
      {"100% und %d", "100% und C:\\a %d b"},
      {"ohne Platzhalter", "ohne Platzhalter"},
      {"am Ende %", "am Ende %"}};
  for (const auto& [pattern, filled] : cases) {
    EXPECT_EQ(core::fillMessage(pattern, "C:\\a %d b"), filled);
  }
}

}  // namespace
