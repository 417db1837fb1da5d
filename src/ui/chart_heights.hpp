#pragma once
// Heights of the two bars of the small "out of date / up to date" charts on the
// home page and on the result page. Both charts stand on a base line and are at
// most kBarMaxHeight pixels high; a very small but non-zero out-of-date share is
// raised so that the user still sees that something needs attention.

#include <cstdint>

namespace velkor {

inline constexpr int kBarMaxHeight = 55;
inline constexpr int kOutOfDateMinHeight = 14;

struct BarHeights {
  int outOfDate = 0;
  int upToDate = 0;
  bool placeholders = false;  // draw both bars full height in grey
};

// Home page: the three stored counts of the last scan. All three zero means no
// scan has been counted yet, and the chart shows grey placeholders.
BarHeights HomeChartHeights(std::int32_t outOfDate, std::int32_t upToDate, std::int32_t total);

// Result page: the scan just shown, from the device and update counts.
BarHeights ResultChartHeights(std::int32_t deviceCount, std::int32_t updateCount);

// Screen geometry of the home page chart (page coordinates).
inline constexpr int kHomeChartBaseY = 103;
inline constexpr int kHomeChartOutOfDateX = 458;
inline constexpr int kHomeChartUpToDateX = 488;

}  // namespace velkor
