#pragma once
// The pixel values of many Windows-tier tests were measured on a screen of 96 pixels per inch;
// on another screen the fonts and the layout scale, and those values no longer hold.
#include <gtest/gtest.h>
#include <windows.h>

namespace parlo::testing {

inline int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace parlo::testing

// Skips the test, saying why, unless the screen has 96 pixels per inch.
#define PARLO_SKIP_UNLESS_96_DPI()                                                              \
  do {                                                                                          \
    if (const int parloDpi = ::parlo::testing::ScreenDpi(); parloDpi != 96)                     \
      GTEST_SKIP() << "its pixel values were measured at 96 dpi; this screen has " << parloDpi; \
  } while (false)
