// Damaged and huge settings files: the start-up either completes or reports the short
// file, and never crashes, whatever the bytes.
#include <random>

#include "program.h"
#include "windows/Main.h"

namespace {

using testsupport::ProgramTest;
using testsupport::readFile;
using testsupport::settingsText;

namespace headless = tk::headless;

constexpr std::size_t kHundredMegabytes = 100'000'000;

std::string randomBytes(std::size_t size, bool withNul) {
  std::mt19937_64 random(size + withNul);
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(withNul ? random() % 256 : 1 + random() % 255);
  }
  return bytes;
}

// The only error a settings file can cause at start-up is the index error of a short file;
// anything else in the error box is a fault.
void expectCompletedOrShortFile() {
  for (const auto& box : headless::messages()) {
    if (box.icon != tk::Icon::stop) continue;  // a port the settings name that is not there
    EXPECT_TRUE(box.text.starts_with("Listenindex überschreitet das Maximum (")) << box.text;
  }
  const bool reported = std::any_of(headless::messages().begin(), headless::messages().end(),
                                    [](const auto& box) { return box.icon == tk::Icon::stop; });
  EXPECT_NE(fMain->tDatenCont.running(), reported)
      << "either the poll runs or the start-up said why not";
}

class HugeSettingsTest : public ProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HugeSettingsTest, AHundredMegabytesOfRandomBytesStartOrReport) {
  linkDevice();
  writeSettings(randomBytes(kHundredMegabytes, GetParam()));
  start();
  expectCompletedOrShortFile();
  EXPECT_FALSE(fMain->tStart.enabled()) << "the start-up is not tried again";
}

// With NUL bytes the text ends at the first; without, every byte is read and split.
std::string nulOrNot(const ::testing::TestParamInfo<bool>& param) {
  return param.param ? "WithNul" : "WithoutNul";
}
INSTANTIATE_TEST_SUITE_P(NulOrNot, HugeSettingsTest, ::testing::Bool(), nulOrNot);

TEST_F(ProgramTest, AMegabyteTwelfthLineIsTheDestinationAndIsSavedAgain) {
  const std::string name = "Messung-ÄÖÜ-" + std::string(999'985, 'x');
  ASSERT_EQ(name.size(), 1'000'000u);
  linkDevice();
  writeSettings(settingsText(60, name));
  start();
  EXPECT_TRUE(headless::messages().empty()) << headless::messages().front().text;
  EXPECT_TRUE(fMain->tDatenCont.running());
  EXPECT_EQ(fMain->eDest.text(), name);
  fMain->bBeenden.click();
  EXPECT_TRUE(headless::quitRequested());
  EXPECT_EQ(readFile(startDirectory / "Setup.txt"), settingsText(60, name));
}

}  // namespace
