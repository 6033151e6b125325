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

// A pixel value as a test expects it at each of the screens the layout is checked on: written
// out, not worked out by the code under test. Tests named ...AtEveryScale run at 96, 144 and 192.
struct AtDpi {
  int at96, at144, at192;
};

inline int Expected(const AtDpi& value) {
  switch (ScreenDpi()) {
    case 144:
      return value.at144;
    case 192:
      return value.at192;
    default:
      return value.at96;
  }
}

}  // namespace parlo::testing

// Skips the test, saying why, unless the screen has 96 pixels per inch.
#define PARLO_SKIP_UNLESS_96_DPI()                                                              \
  do {                                                                                          \
    if (const int parloDpi = ::parlo::testing::ScreenDpi(); parloDpi != 96)                     \
      GTEST_SKIP() << "its pixel values were measured at 96 dpi; this screen has " << parloDpi; \
  } while (false)

// Skips the test unless the screen has one of the dpi the expected values are written for.
#define PARLO_SKIP_UNLESS_A_CHECKED_DPI()                                                     \
  do {                                                                                      \
    if (const int parloDpi = ::parlo::testing::ScreenDpi(); parloDpi != 96 && parloDpi != 144 && \
                                                            parloDpi != 192)                \
      GTEST_SKIP() << "values are written for 96, 144 and 192 dpi; this screen has " << parloDpi; \
  } while (false)
