// What the real windows show: a label's native window covers its text and no more, so it
// paints over no neighbour at any size. Under Wine, widening the main window left each
// label three rows high, and the one above painted over the top of "Aufzeichnung:".
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace {

using tk::win32::nativeHandle;

// A window's client area with its controls, as it shows once everything has painted.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // rows top down

  std::vector<std::uint32_t> part(int partWidth, int partHeight) const {
    std::vector<std::uint32_t> result;
    for (int y = 0; y < partHeight; ++y) {
      const auto row = pixels.begin() + y * width;
      result.insert(result.end(), row, row + partWidth);
    }
    return result;
  }
};

bool painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetUpdateRect(child, nullptr, FALSE)) return false;
  }
  return true;
}

BITMAPINFO shotFormat(int width, int height) {
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return format;
}

// Read through a window DC that leaves the children in, so their pixels are what it shows.
Shot shoot(HWND window) {
  test::pumpUntil([&] { return painted(window); }, 2000);
  RECT client{};
  GetClientRect(window, &client);
  Shot shot{client.right, client.bottom, {}};
  const HDC source = GetDCEx(window, nullptr, DCX_CACHE);
  const HDC memory = CreateCompatibleDC(source);
  const BITMAPINFO format = shotFormat(shot.width, shot.height);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, source, 0, 0, SRCCOPY);
  const auto* first = static_cast<const std::uint32_t*>(bits);
  shot.pixels.assign(first, first + std::size_t(shot.width) * std::size_t(shot.height));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return shot;
}

// Kept beside the test program as a picture to look at, opaque: a focus rectangle drawn
// by XOR leaves bits in the fourth byte that viewers take for transparency.
void keep(Shot shot, const std::string& name) {
  for (std::uint32_t& pixel : shot.pixels) pixel |= 0xFF000000u;
  const BITMAPINFO format = shotFormat(shot.width, shot.height);
  const auto size = static_cast<DWORD>(shot.pixels.size() * 4);
  const BITMAPFILEHEADER header{0x4D42, 14 + 40 + size, 0, 0, 14 + 40};
  std::ofstream file(name + ".bmp", std::ios::binary);
  file.write(reinterpret_cast<const char*>(&header), 14);
  file.write(reinterpret_cast<const char*>(&format.bmiHeader), 40);
  file.write(reinterpret_cast<const char*>(shot.pixels.data()), size);
}

RECT rectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool isLabel(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return _wcsicmp(className, L"Static") == 0;
}

// Every label of the window against every other control that shows.
void expectNoLabelOverAnother(HWND window, const char* when) {
  for (HWND label = GetWindow(window, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
    if (!isLabel(label) || !IsWindowVisible(label)) continue;
    for (HWND other = GetWindow(window, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
      RECT shared{};
      const RECT a = rectOf(label), b = rectOf(other);
      const bool overlap =
          other != label && IsWindowVisible(other) && IntersectRect(&shared, &a, &b);
      EXPECT_FALSE(overlap) << when << ": \"" << tk::win32::narrow(test::windowText(label))
                            << "\" over \"" << tk::win32::narrow(test::windowText(other)) << '"';
    }
  }
}

// Shows the window at its size, widens it, and sets the height alone; the shots are named
// after the window and the screen's scale.
std::pair<Shot, Shot> resizeAndCheck(tk::Window& window, const std::string& windowName) {
  const HWND native = nativeHandle(window);
  const std::string name = windowName + "-" + std::to_string(tk::win32::windowDpi(native)) + "dpi";
  window.setLeft(0);  // room to grow on the screen
  window.show();
  const Shot before = shoot(native);
  keep(before, name + "-before");
  expectNoLabelOverAnother(native, "as made");
  window.setWidth(window.width() + 240);
  const Shot after = shoot(native);
  keep(after, name + "-wider");
  expectNoLabelOverAnother(native, "wider");
  window.setHeight(window.height() + 150);
  expectNoLabelOverAnother(native, "higher");
  window.setWidth(window.width() - 300);
  expectNoLabelOverAnother(native, "narrower");
  window.hide();
  return {before, after};
}

TEST(Painting, NoLabelPaintsOverAnotherControlAndWideningKeepsTheLabelsAsTheyWere) {
  TfMain main;
  main.tStart.setEnabled(false);  // no start-up: no settings file, no port
  TfSetup setup;
  const auto [before, after] = resizeAndCheck(main, "main");
  // The rows above the destination file hold only the status labels.
  const int labelRows = before.height * 10 / 19;
  ASSERT_GT(std::set(before.pixels.begin(), before.pixels.end()).size(), 1u) << "nothing drawn";
  EXPECT_EQ(after.part(before.width, labelRows), before.part(before.width, labelRows));
  resizeAndCheck(setup, "setup");
}

}  // namespace
