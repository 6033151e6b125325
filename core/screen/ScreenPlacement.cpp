#include "core/screen/ScreenPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace parlo {

namespace {

// Sizes in 64 bits: a hand-edited settings file may put a window anywhere an int reaches.
struct Span {
  int64_t from, to;  // to excluded
};

int64_t Overlap(Span a, Span b) {
  return std::max<int64_t>(0, std::min(a.to, b.to) - std::max(a.from, b.from));
}

int64_t Gap(Span a, Span b) {
  return std::max<int64_t>({0, b.from - a.to, a.from - b.to});
}

Span Horizontal(const WindowBounds& b) {
  return {b.left, int64_t{b.left} + std::max(0, b.width)};
}
Span Horizontal(const ScreenRect& r) {
  return {r.left, r.right};
}
Span Vertical(const ScreenRect& r) {
  return {r.top, r.bottom};
}

// The caption bar counts as shown where half its height and a piece as wide as three times its
// height (or the whole window, when narrower) lie on the work areas: room to take it. The piece
// may run over two monitors side by side.
bool CaptionShows(const WindowBounds& b, int captionHeight, const std::vector<MonitorArea>& monitors) {
  const int64_t height = std::max(1, captionHeight);
  const Span across = Horizontal(b);
  const Span down{b.top, int64_t{b.top} + height};
  int64_t shown = 0;
  for (const MonitorArea& monitor : monitors)
    if (Overlap(down, Vertical(monitor.work)) * 2 >= height)
      shown += Overlap(across, Horizontal(monitor.work));
  return shown > 0 && shown >= std::min<int64_t>(across.to - across.from, 3 * height);
}

int32_t Clamped(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// As near to `from` as the span of `size` can start and still lie within `area`; at the area's
// start when it does not fit.
int32_t PlaceWithin(int32_t from, int32_t size, Span area) {
  const int64_t last = area.to - std::max(0, size);
  if (last < area.from) return Clamped(area.from);
  return Clamped(std::clamp<int64_t>(from, area.from, last));
}

}  // namespace

WindowBounds ReachableBounds(const WindowBounds& bounds, int dpi, const std::vector<MonitorArea>& monitors,
                             const std::function<WindowFrame(int dpi)>& frameAt) {
  if (monitors.empty()) return bounds;
  const WindowFrame frame = frameAt(dpi);
  if (CaptionShows(bounds, frame.captionHeight, monitors)) return bounds;

  // The nearest work area: the least distance from the window; of those it overlaps, the one it
  // overlaps most.
  const Span across = Horizontal(bounds);
  const Span down{bounds.top, int64_t{bounds.top} + std::max(0, bounds.height)};
  const MonitorArea* nearest = nullptr;
  double nearestDistance = 0, nearestOverlap = 0;
  for (const MonitorArea& monitor : monitors) {
    const double dx = static_cast<double>(Gap(across, Horizontal(monitor.work)));
    const double dy = static_cast<double>(Gap(down, Vertical(monitor.work)));
    const double distance = dx * dx + dy * dy;
    const double overlap = static_cast<double>(Overlap(across, Horizontal(monitor.work))) *
                           static_cast<double>(Overlap(down, Vertical(monitor.work)));
    if (!nearest || distance < nearestDistance || (distance == nearestDistance && overlap > nearestOverlap)) {
      nearest = &monitor;
      nearestDistance = distance;
      nearestOverlap = overlap;
    }
  }

  WindowBounds moved = bounds;
  if (nearest->dpi != dpi) {
    const FrameSize layoutFrame = frameAt(kLayoutDpi).size;
    const WindowBounds layout = LayoutBoundsFromDpi(bounds, layoutFrame, frame.size, dpi);
    const WindowBounds there = BoundsForDpi(layout, layoutFrame, frameAt(nearest->dpi).size, nearest->dpi);
    moved.width = there.width;
    moved.height = there.height;
  }
  moved.left = PlaceWithin(bounds.left, moved.width, Horizontal(nearest->work));
  moved.top = PlaceWithin(bounds.top, moved.height, Vertical(nearest->work));
  return moved;
}

}  // namespace parlo
