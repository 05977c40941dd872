#include "toolkit/win32/icon.h"

namespace tk::win32 {

namespace {
constexpr int kIconId = 1;
}  // namespace

HICON programIcon(int sizeMetric) {
  const int size = GetSystemMetrics(sizeMetric);
  // Shared: the system keeps the icon for as long as the program runs; nobody frees it.
  const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                 size, size, LR_SHARED);
  if (icon != nullptr) return static_cast<HICON>(icon);
  return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

}  // namespace tk::win32
