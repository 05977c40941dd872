#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* out) {
  *out << '"' << c.input << '"';
}

class ErrorBoxText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ErrorBoxText, AddsFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(core::errorBoxText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorBoxText,
    ::testing::Values(TextCase{"abc", "abc."}, TextCase{"x)", "x)"}, TextCase{"", ""},
                      TextCase{"Ende.", "Ende."},
                      TextCase{"Stream-Schreibfehler", "Stream-Schreibfehler."},
                      TextCase{"Listenindex überschreitet das Maximum (5)",
                               "Listenindex überschreitet das Maximum (5)"},
                      TextCase{"Datei a kann nicht geöffnet werden",
                               "Datei a kann nicht geöffnet werden."},
                      TextCase{"Maß", "Maß."}, TextCase{"Wert 7", "Wert 7."},
                      TextCase{"Pfad /", "Pfad /."}, TextCase{"a-", "a-"}, TextCase{"a,", "a,"},
                      TextCase{"Ende\n", "Ende\n"}, TextCase{"\xE4", "\xE4."}));

class ApplicationTitle : public ::testing::TestWithParam<TextCase> {};

TEST_P(ApplicationTitle, IsFileNameUpToFirstDotWithLaterLettersLowered) {
  EXPECT_EQ(core::applicationTitle(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramPaths, ApplicationTitle,
    ::testing::Values(TextCase{"/usr/bin/Querlan", "Querlan"},
                      TextCase{"C:\\Prog\\QUERLAN.EXE", "Querlan"}, TextCase{"my.app.exe", "my"},
                      TextCase{"querlan", "querlan"}, TextCase{"./build/QuErLaN", "Querlan"},
                      TextCase{"/opt/.hidden", ""}, TextCase{"D:/mixed\\Sep/TOOL2.exe", "Tool2"}));

class FillMessage : public ::testing::TestWithParam<TextCase> {};

TEST_P(FillMessage, ReplacesFirstPlaceholderOnlyWithValueVerbatim) {
  EXPECT_EQ(core::fillMessage(GetParam().input, "C:\\a %d b"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Templates, FillMessage,
                         ::testing::Values(TextCase{"Datei %s kann nicht erstellt werden",
                                                    "Datei C:\\a %d b kann nicht erstellt werden"},
                                           TextCase{"Maximum (%d)", "Maximum (C:\\a %d b)"},
                                           TextCase{"%s und %s", "C:\\a %d b und %s"},
                                           TextCase{"100% und %d", "100% und C:\\a %d b"},
                                           TextCase{"ohne Platzhalter", "ohne Platzhalter"},
                                           TextCase{"am Ende %", "am Ende %"}));

}  // namespace
