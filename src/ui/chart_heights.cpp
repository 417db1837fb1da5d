#include "ui/chart_heights.hpp"

#include <cmath>

namespace velkor {
namespace {

// Share of `part` in `whole` on a kBarMaxHeight scale, truncated to whole
// pixels. Counts come from the registry and may be anything: a negative or
// oversized share is clamped so that a bar never grows out of its panel or
// upwards through the base line.
int ScaledHeight(std::int64_t part, std::int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  const double height = static_cast<double>(kBarMaxHeight) * static_cast<double>(part) /
                        static_cast<double>(whole);
  if (!(height < kBarMaxHeight)) return kBarMaxHeight;
  return static_cast<int>(std::trunc(height));
}

int RaiseSmallBar(int height) {
  return (height > 0 && height < kOutOfDateMinHeight) ? kOutOfDateMinHeight : height;
}

// The raise above works on the truncated height; a share below one pixel still
// counts as "above 0" for it.
int OutOfDateHeight(std::int64_t part, std::int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  const int height = ScaledHeight(part, whole);
  return height == 0 ? kOutOfDateMinHeight : RaiseSmallBar(height);
}

}  // namespace

BarHeights HomeChartHeights(std::int32_t outOfDate, std::int32_t upToDate, std::int32_t total) {
  BarHeights bars;
  if (outOfDate == 0 && upToDate == 0 && total == 0) {
    bars.placeholders = true;
    bars.outOfDate = kBarMaxHeight;
    bars.upToDate = kBarMaxHeight;
    return bars;
  }
  bars.outOfDate = OutOfDateHeight(outOfDate, total);
  bars.upToDate = ScaledHeight(upToDate, total);
  return bars;
}

BarHeights ResultChartHeights(std::int32_t deviceCount, std::int32_t updateCount) {
  BarHeights bars;
  if (deviceCount <= 0) return bars;
  bars.outOfDate = OutOfDateHeight(updateCount, deviceCount);
  bars.upToDate = ScaledHeight(std::int64_t{deviceCount} - updateCount, deviceCount);
  return bars;
}

}  // namespace velkor
