// Controls as they are drawn: what the fronts measure must be what the native controls show,
// and fonts must come and go with the controls that use them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <optional>
#include <set>
#include <utility>

#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace {

using tk::win32::nativeHandle;
using tk::win32::widen;

RECT clientRectOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The rectangle DrawText needs for a label's text in its own font, at the label's width,
// with the flags of a STATIC SS_LEFT control.
RECT drawnExtent(HWND label, const std::string& text, int width) {
  const HDC dc = GetDC(label);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  const std::wstring wide = widen(text);
  RECT rect{0, 0, width, 0};
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
            DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return rect;
}

struct LabelCase {
  std::string text;
  tk::Font font;
};

void PrintTo(const LabelCase& labelCase, std::ostream* out) {
  *out << labelCase.font.name << ' ' << labelCase.font.height;
}

class LabelDrawing : public testing::TestWithParam<LabelCase> {};

TEST_P(LabelDrawing, TakesTheSizeItsTextIsDrawnIn) {
  test::TestWindow window;
  tk::Label label(window);
  label.setLeft(10);
  label.setFont(GetParam().font);
  label.setText(GetParam().text);
  const tk::Size measured = tk::measureText(GetParam().font, GetParam().text);
  EXPECT_EQ(label.width(), measured.width);
  EXPECT_EQ(label.height(), measured.height);

  const RECT native = clientRectOf(nativeHandle(label));
  EXPECT_EQ(native.right - native.left, label.width());
  EXPECT_EQ(native.bottom - native.top, label.height());
  // Drawn at the label's width, nothing wraps and nothing needs more room.
  const RECT drawn = drawnExtent(nativeHandle(label), GetParam().text, label.width());
  EXPECT_LE(drawn.right, label.width());
  EXPECT_EQ(drawn.bottom, label.height());
}

INSTANTIATE_TEST_SUITE_P(
    StatusTexts, LabelDrawing,
    testing::Values(LabelCase{"Baudrate:\t9600 Bits pro Sek.", {"Arial", -22}},
                    LabelCase{"Schnittstelle:\tCOM1", {"Arial", -32}},
                    LabelCase{"COM-In:\t  )", {"Arial", -16}},
                    LabelCase{"Verstrichen:\t12 von 240 s\n\t\t3456 Zeichen wurden empfangen",
                              {"Arial", -22}},
                    LabelCase{"Log-Zeit [sec]", {"MS Sans Serif", -11}},
                    LabelCase{"Größe\tÄnderung", {"Arial", -13}},
                    LabelCase{"\t\tnach zwei Tabs", {"Arial", 0}}));

// The pixels a control shows, once it has painted all it had to.
std::vector<COLORREF> pixelsOf(HWND control) {
  test::pumpUntil([&] { return !GetUpdateRect(control, nullptr, FALSE); }, 500);
  UpdateWindow(control);
  RECT client{};
  GetClientRect(control, &client);
  const HDC dc = GetDC(control);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(control, dc);
  return pixels;
}

// A label drew its new text at once, at its old width, where the text broke into two
// lines; growing it then kept those bits, and "0 von 3 s" showed as "0   on 3 s".
TEST(Labels, ALabelThatGrowsWithItsNewTextShowsItWhole) {
  test::TestWindow window;
  window.show();
  const tk::Font font{"Arial", -25};
  tk::Label grown(window), fresh(window);
  for (tk::Label* label : {&grown, &fresh}) label->setFont(font);
  fresh.setTop(100);
  grown.setText("Aufzeichnung:\t3 s");
  pixelsOf(nativeHandle(grown));
  grown.setText("Verstrichen:\t0 von 3 s");
  fresh.setText("Verstrichen:\t0 von 3 s");
  const std::vector<COLORREF> expected = pixelsOf(nativeHandle(fresh));
  ASSERT_GT(std::set(expected.begin(), expected.end()).size(), 1u) << "no text was drawn";
  EXPECT_EQ(pixelsOf(nativeHandle(grown)), expected);
}

// Also a caption that fits its button exactly at its height: it is not drawn smaller.
TEST(Fonts, EachControlHoldsANativeFontOfItsAttributes) {
  test::TestWindow window;
  tk::Button button(window, "&Setup");
  tk::Button wide(window, "&Daten holen");
  wide.setWidth(400);
  for (const auto& [control, height] : {std::pair<tk::Button*, LONG>{&button, -27}, {&wide, -36}}) {
    control->setFont({"Arial", static_cast<int>(height)});
    LOGFONTW logFont{};
    const auto font =
        reinterpret_cast<HFONT>(SendMessageW(nativeHandle(*control), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, height);
    EXPECT_STREQ(logFont.lfFaceName, L"Arial");
  }
}

// Wine has no GetGuiResources; there the count of our own fonts has to do.
std::optional<DWORD> gdiObjects() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count == 0) return std::nullopt;
  return count;
}

TEST(Fonts, AThousandResizesOfTheRealWindowsLeaveNothingBehind) {
  // A window that starts nothing: no start-up runs unless the message loop does.
  TfMain main;
  TfSetup setup;
  main.setWidth(600);
  setup.setWidth(480);
  const int fonts = tk::backend::liveFontCount();
  const std::optional<DWORD> objects = gdiObjects();
  for (int i = 0; i < 1000; ++i) {
    main.setHeight(300 + i % 200);
    setup.setHeight(250 + i % 150);
  }
  EXPECT_EQ(tk::backend::liveFontCount(), fonts);
  if (objects) {
    EXPECT_EQ(gdiObjects(), objects);
    std::printf("GDI objects before and after 1000 resizes: %lu, %lu\n", *objects, *gdiObjects());
  } else {
    std::printf("GetGuiResources is not available here; live fonts stayed at %d\n", fonts);
  }
}

TEST(ComboBoxes, AreNativeListsOfTheirStyleWithTheClosedHeightTheyReport) {
  test::TestWindow window;
  tk::ComboBox list(window, tk::ComboStyle::dropDownList);
  tk::ComboBox editable(window, tk::ComboStyle::dropDown);
  EXPECT_EQ(GetWindowLongW(nativeHandle(list), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  EXPECT_EQ(GetWindowLongW(nativeHandle(editable), GWL_STYLE) & 3, CBS_DROPDOWN);
  for (const int height : {-11, -16, -32}) {
    editable.setHeight(40);
    editable.setFont({"Arial", height});
    const RECT native = clientRectOf(nativeHandle(editable));
    EXPECT_EQ(editable.height(), native.bottom - native.top) << "font height " << height;
  }
}

TEST(ComboBoxes, AListShowsOnlyItsOwnEntriesMatchedExactly) {
  test::TestWindow window;
  tk::ComboBox list(window, tk::ComboStyle::dropDownList);
  tk::ComboBox editable(window, tk::ComboStyle::dropDown);
  for (const char* entry : {"COM1", "COM2"}) {
    list.addItem(entry);
    editable.addItem(entry);
  }
  list.setText("COM2");
  EXPECT_EQ(list.itemIndex(), 1);
  list.setText("com1");
  EXPECT_EQ(list.itemIndex(), -1);
  EXPECT_EQ(list.text(), "");
  editable.setText("Baud ä");
  EXPECT_EQ(editable.text(), "Baud ä");
}

TEST(UpDown, ItsArrowsStepTheFrontsPositionAndTheBuddyShowsIt) {
  test::TestWindow window;
  tk::LabeledEdit buddy(window);
  tk::UpDown spinner(window);
  spinner.setRange(0, 400);
  spinner.setAssociate(buddy);
  spinner.setPosition(399);
  const HWND native = nativeHandle(spinner);
  for (const WPARAM key : {VK_UP, VK_UP, VK_DOWN, VK_DOWN, VK_DOWN}) {
    SendMessageW(native, WM_KEYDOWN, key, 0);
    SendMessageW(native, WM_KEYUP, key, 0xC0000001);
  }
  // 399, 400, 400 (no wrap past the maximum), 399, 398, 397.
  EXPECT_EQ(spinner.position(), 397);
  EXPECT_EQ(buddy.text(), "397");
  EXPECT_EQ(SendMessageW(native, UDM_GETPOS32, 0, 0), 0) << "the native control moved itself";
}

}  // namespace
