#pragma once
// The pixel values of many Windows-tier tests were measured on a screen of 96 pixels per inch;
// on another screen the fonts and the layout scale, and those values no longer hold.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

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
  switch (const int dpi = ScreenDpi()) {
    case 96:
      return value.at96;
    case 144:
      return value.at144;
    case 192:
      return value.at192;
    default:
      ADD_FAILURE() << "no value is written for a screen of " << dpi << " dpi";
      return value.at96;
  }
}

// The build runs the tier once per screen it checks, naming the dpi in PARLO_NEED_DPI: on a screen
// of another dpi such a run fails before any test, rather than skip them or repeat another run.
class NeededDpiCheck : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* need = std::getenv("PARLO_NEED_DPI");
    if (need && *need) {
      ASSERT_EQ(ScreenDpi(), std::atoi(need)) << "the screen is not at the dpi this run is for";
    }
  }
};
inline ::testing::Environment* const kNeededDpiCheck =
    ::testing::AddGlobalTestEnvironment(new NeededDpiCheck);

}  // namespace parlo::testing

// Skips the test, saying why, unless the screen has 96 pixels per inch.
#define PARLO_SKIP_UNLESS_96_DPI()                                                              \
  do {                                                                                          \
    if (const int parloDpi = ::parlo::testing::ScreenDpi(); parloDpi != 96)                     \
      GTEST_SKIP() << "its pixel values were measured at 96 dpi; this screen has " << parloDpi; \
  } while (false)

// Skips the test unless the screen has one of the dpi the expected values are written for.
#define PARLO_SKIP_UNLESS_A_CHECKED_DPI()                                                         \
  do {                                                                                            \
    if (const int parloDpi = ::parlo::testing::ScreenDpi();                                       \
        parloDpi != 96 && parloDpi != 144 && parloDpi != 192)                                     \
      GTEST_SKIP() << "values are written for 96, 144 and 192 dpi; this screen has " << parloDpi; \
  } while (false)
