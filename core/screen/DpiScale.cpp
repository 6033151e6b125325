#include "core/screen/DpiScale.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace parlo {

namespace {

int EffectiveDpi(int dpi) {
  return dpi > 0 ? dpi : kLayoutDpi;
}

int ToInt(int64_t value) {
  // Numbers from a hand-edited settings file may be anything: keep them in range.
  return static_cast<int>(
      std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// number * numerator / denominator, the half rounded away from zero; denominator > 0.
int64_t MulDivRounded(int64_t number, int numerator, int denominator) {
  const int64_t product = number * numerator;
  const int64_t half = denominator / 2;
  return product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
}

// A size around a frame: the part inside scales, the frame is the one at the new dpi.
int Rescale(int size, int fromFrame, int toFrame, int numerator, int denominator) {
  return ToInt(MulDivRounded(static_cast<int64_t>(size) - fromFrame, numerator, denominator) + toFrame);
}

}  // namespace

int ScaleForDpi(int layoutPixels, int dpi) {
  return ToInt(MulDivRounded(layoutPixels, EffectiveDpi(dpi), kLayoutDpi));
}

int LayoutFromDpi(int pixels, int dpi) {
  return ToInt(MulDivRounded(pixels, kLayoutDpi, EffectiveDpi(dpi)));
}

WindowBounds BoundsForDpi(const WindowBounds& layout, FrameSize layoutFrame, FrameSize frame, int dpi) {
  return BoundsForDpi(layout, layoutFrame, frame, dpi, dpi);
}

WindowBounds LayoutBoundsFromDpi(const WindowBounds& bounds, FrameSize layoutFrame, FrameSize frame,
                                 int dpi) {
  return LayoutBoundsFromDpi(bounds, layoutFrame, frame, dpi, dpi);
}

WindowBounds BoundsForDpi(const WindowBounds& layout, FrameSize layoutFrame, FrameSize frame, int dpi,
                          int positionDpi) {
  WindowBounds bounds;
  bounds.left = ScaleForDpi(layout.left, positionDpi);
  bounds.top = ScaleForDpi(layout.top, positionDpi);
  bounds.width = Rescale(layout.width, layoutFrame.width, frame.width, EffectiveDpi(dpi), kLayoutDpi);
  bounds.height = Rescale(layout.height, layoutFrame.height, frame.height, EffectiveDpi(dpi), kLayoutDpi);
  return bounds;
}

WindowBounds LayoutBoundsFromDpi(const WindowBounds& bounds, FrameSize layoutFrame, FrameSize frame, int dpi,
                                 int positionDpi) {
  WindowBounds layout;
  layout.left = LayoutFromDpi(bounds.left, positionDpi);
  layout.top = LayoutFromDpi(bounds.top, positionDpi);
  layout.width = Rescale(bounds.width, frame.width, layoutFrame.width, kLayoutDpi, EffectiveDpi(dpi));
  layout.height = Rescale(bounds.height, frame.height, layoutFrame.height, kLayoutDpi, EffectiveDpi(dpi));
  return layout;
}

}  // namespace parlo
