// The settings file when its folder will not take it: read-only, or on a disk that is full.
#include "program.h"
#include "windows/Main.h"
#include "windows/Recording.h"

namespace {

using testsupport::fillDisk;
using testsupport::namesIn;
using testsupport::ProgramTest;
using testsupport::readFile;
using testsupport::settingsText;

namespace headless = tk::headless;
using Names = std::vector<std::string>;

const std::string kEarlierSettings = settingsText(7, "früher.txt");

class SettingsFolderTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!putStartDirectoryOnDisk(64 * 1024)) GTEST_SKIP() << "no right to mount a tmpfs here";
    linkDevice();
    writeSettings(kEarlierSettings);
    start();
    ASSERT_TRUE(headless::messages().empty()) << headless::messages().front().text;
    ASSERT_FALSE(headless::quitRequested()) << "each test needs a process of its own";
  }

  std::string setupPath() const { return (startDirectory / "Setup.txt").string(); }
  void expectCloseAbandonedWith(const std::string& text, std::size_t boxes) {
    fMain->bBeenden.click();
    ASSERT_EQ(errorBoxes().size(), boxes);
    EXPECT_EQ(errorBoxes().back().text, text);
    EXPECT_FALSE(headless::quitRequested()) << "the close goes on although the file is not saved";
    EXPECT_EQ(readFile(setupPath()), kEarlierSettings);
    EXPECT_EQ(namesIn(startDirectory), (Names{"COM1", "Setup.txt"})) << "a temporary file is left";
  }
  void expectCloseSucceeds(std::size_t boxesBefore) {
    fMain->eDest.setText("später.txt");
    fMain->bBeenden.click();
    EXPECT_EQ(errorBoxes().size(), boxesBefore);
    EXPECT_TRUE(headless::quitRequested());
    EXPECT_EQ(readFile(setupPath()), settingsText(7, "später.txt"));
  }
};

TEST_F(SettingsFolderTest, AReadOnlyFolderAbandonsEveryCloseUntilItIsWritableAgain) {
  ASSERT_TRUE(disk->setReadOnly(true));
  const std::string cannotCreate = "Datei " + setupPath() + " kann nicht erstellt werden.";
  expectCloseAbandonedWith(cannotCreate, 1);
  expectCloseAbandonedWith(cannotCreate, 2);
  ASSERT_TRUE(disk->setReadOnly(false));
  expectCloseSucceeds(2);
}

TEST_F(SettingsFolderTest, AFullDiskAbandonsTheCloseUntilThereIsRoomAgain) {
  const auto filler = startDirectory / "filler";
  ASSERT_GT(fillDisk(filler), 0u);
  const Names withFiller = {"COM1", "Setup.txt", "filler"};
  fMain->bBeenden.click();
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(errorBoxes().back().text, "Stream-Schreibfehler.");
  EXPECT_FALSE(headless::quitRequested());
  EXPECT_EQ(readFile(setupPath()), kEarlierSettings);
  EXPECT_EQ(namesIn(startDirectory), withFiller) << "a temporary file is left";
  std::filesystem::remove(filler);
  expectCloseSucceeds(1);
}

}  // namespace
