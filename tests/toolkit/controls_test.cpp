#include <gtest/gtest.h>

#include "toolkit/backend.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

namespace {

namespace headless = tk::headless;

// Headless metric: a font of height -16 has 16-pixel lines and 8-pixel characters.
const tk::Font font16{"Arial", -16};

class ControlsTest : public ::testing::Test {
 protected:
  tk::Window window{{"w", {0, 0, 416, 339}, {"MS Sans Serif", -16}}};
};

// Tab stops and line breaks are a rule of every backend (tests/conformance); here the
// headless metric itself.
TEST_F(ControlsTest, LabelMeasuresWithTheHeadlessMetric) {
  tk::Label label(window);
  struct Case {
    const char* text;
    int width;
    int height;
  } cases[] = {
      {"abc", 24, 16}, {"", 0, 16}, {"Größe", 40, 16},  // characters, not bytes
  };
  for (const Case& c : cases) {
    label.setText(c.text);
    EXPECT_EQ(label.width(), c.width) << c.text;
    EXPECT_EQ(label.height(), c.height) << c.text;
  }
}

TEST_F(ControlsTest, LabelKeepsASetSizeUntilTextOrFontReallyChange) {
  tk::Label label(window, "abc");
  label.setWidth(580);
  label.setHeight(60);
  label.setFont(window.font());  // the same font again: no change
  label.setText("abc");
  EXPECT_EQ(label.width(), 580);
  label.setFont(font16);
  EXPECT_EQ(label.width(), 24);
  EXPECT_EQ(label.height(), 16);
}

TEST_F(ControlsTest, LabeledEditKeepsItsCaptionAboveAtTheSpacing) {
  tk::LabeledEdit edit(window);
  edit.captionLabel().setText("Log-Datei");
  edit.setCaptionSpacing(3);
  edit.setLeft(10);
  edit.setTop(260);
  EXPECT_EQ(edit.captionLabel().left(), 10);
  EXPECT_EQ(edit.captionLabel().top(), 260 - 16 - 3);
  edit.captionLabel().setFont({"Arial", -32});  // a taller caption moves up
  EXPECT_EQ(edit.captionLabel().top(), 260 - 32 - 3);
  edit.setCaptionSpacing(10);
  EXPECT_EQ(edit.captionLabel().top(), 260 - 32 - 10);
}

TEST_F(ControlsTest, EditHeightFollowsItsFontUnlessAutomaticHeightIsOff) {
  tk::LabeledEdit automatic(window);
  automatic.setHeight(50);
  automatic.setFont({"Arial", -32});
  EXPECT_EQ(automatic.height(), 40);
  tk::LabeledEdit fixed(window);
  fixed.setAutoHeight(false);
  fixed.setHeight(24);
  fixed.setFont({"Arial", -32});
  EXPECT_EQ(fixed.height(), 24);
}

TEST_F(ControlsTest, ComboBoxReportsTheClosedHeightOfItsFont) {
  tk::ComboBox box(window, tk::ComboStyle::dropDown);
  box.setHeight(40);
  box.setFont(font16);
  EXPECT_EQ(box.height(), 24);
}

TEST_F(ControlsTest, DropDownListSelectsOnlyItsEntries) {
  tk::ComboBox list(window, tk::ComboStyle::dropDownList);
  for (const char* item : {"COM1", "COM2", "COM3"}) list.addItem(item);
  list.setItemIndex(1);
  EXPECT_EQ(list.itemIndex(), 1);
  EXPECT_EQ(list.text(), "COM2");
  for (int outside : {3, 9, -1, -7}) {
    list.setItemIndex(outside);
    EXPECT_EQ(list.itemIndex(), -1) << outside;
    EXPECT_EQ(list.text(), "");
  }
}

TEST_F(ControlsTest, EditableComboKeepsAnyText) {
  tk::ComboBox box(window, tk::ComboStyle::dropDown);
  box.addItem("9600");
  box.setText("abc");
  EXPECT_EQ(box.text(), "abc");
  box.setItemIndex(0);
  EXPECT_EQ(box.text(), "9600");
}

class UpDownTest : public ControlsTest {
 protected:
  tk::UpDown spinner{window};
  tk::LabeledEdit edit{window};
  void SetUp() override {
    spinner.setRange(0, 400);
    spinner.setAssociate(edit);
    spinner.setPosition(240);
  }
};

TEST_F(UpDownTest, ShowsItsPositionInTheEditBoxWithinItsRange) {
  EXPECT_EQ(edit.text(), "240");
  spinner.setPosition(500);
  EXPECT_EQ(spinner.position(), 400);
  spinner.setPosition(-3);
  EXPECT_EQ(spinner.position(), 0);
  spinner.setPosition(70000);  // beyond 16 bits: still the maximum, not a wrapped value
  EXPECT_EQ(spinner.position(), 400);
  EXPECT_EQ(edit.text(), "400");
}

TEST_F(UpDownTest, TakesTypedTextWhenItIsANumberInRange) {
  struct Case {
    const char* typed;
    int position;
  } cases[] = {{"120", 120}, {"0", 0}, {"400", 400}, {" 7", 7}, {"401", 7}, {"abc", 7}, {"", 7}};
  for (const Case& c : cases) {
    edit.setText(c.typed);
    EXPECT_EQ(spinner.position(), c.position) << c.typed;
  }
  EXPECT_EQ(edit.text(), "7") << "invalid text is replaced by the position";
}

TEST_F(UpDownTest, ArrowsStepByOneWithoutWrapping) {
  spinner.setPosition(399);
  tk::backend::FrontAccess::stepped(spinner, +1);
  tk::backend::FrontAccess::stepped(spinner, +1);
  EXPECT_EQ(spinner.position(), 400);
  spinner.setPosition(1);
  tk::backend::FrontAccess::stepped(spinner, -1);
  tk::backend::FrontAccess::stepped(spinner, -1);
  EXPECT_EQ(spinner.position(), 0);
  EXPECT_EQ(edit.text(), "0");
}

TEST(Accelerator, IsTheLetterAfterTheAmpersand) {
  tk::Window window{{"w", {0, 0, 200, 100}, {}}};
  struct Case {
    const char* caption;
    char letter;
  } cases[] = {{"&Daten holen", 'd'}, {"D&urchsuchen", 'u'}, {"OK", 0},
               {"A&&B", 0},           {"A&&&B", 'b'},        {"x&", 0}};
  for (const Case& c : cases) {
    tk::Button button(window, c.caption);
    EXPECT_EQ(button.accelerator(), c.letter) << c.caption;
  }
}

}  // namespace
