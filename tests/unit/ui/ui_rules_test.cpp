#include <gtest/gtest.h>

#include <string>

#include "ui/button_frames.hpp"
#include "ui/chart_heights.hpp"
#include "ui/settings_page_rules.hpp"

namespace velkor {
namespace {

TEST(ChartHeights, HomeChartTable) {
  struct Case {
    int outOfDate, upToDate, total;
    int expectOutOfDate, expectUpToDate;
    bool placeholders;
  };
  const Case cases[] = {
      {0, 0, 0, 55, 55, true},      // no scan yet: grey placeholders, full height
      {3, 54, 57, 14, 52, false},   // 2.9 px raised to 14; 52.1 truncated
      {0, 57, 57, 0, 55, false},    // everything up to date
      {57, 0, 57, 55, 0, false},    // everything out of date
      {1, 999, 1000, 14, 54, false},  // below one pixel still shows the raised bar
      {15, 0, 55, 15, 0, false},    // 15 px needs no raise
      {13, 42, 55, 14, 42, false},  // 13 px raised
      {5, 5, 0, 0, 0, false},       // counts without a total draw nothing
      {-4, -7, 10, 0, 0, false},    // damaged stored counts: no bar below the line
      {500, 900, 10, 55, 55, false},  // shares above the total never leave the panel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outOfDate << "/" << c.upToDate << "/" << c.total);
    const BarHeights bars = HomeChartHeights(c.outOfDate, c.upToDate, c.total);
    EXPECT_EQ(bars.placeholders, c.placeholders);
    EXPECT_EQ(bars.outOfDate, c.expectOutOfDate);
    EXPECT_EQ(bars.upToDate, c.expectUpToDate);
  }
}

TEST(ChartHeights, ResultChartTable) {
  struct Case {
    int devices, updates;
    int expectOutOfDate, expectUpToDate;
  };
  const Case cases[] = {
      {0, 0, 0, 0},     // no device scanned: neither bar
      {57, 3, 14, 52},  // same proportions as the home page
      {10, 0, 0, 55},
      {10, 10, 55, 0},  // the up-to-date bar is not drawn at 0
      {100, 30, 16, 38},
      {-1, 5, 0, 0},
      {5, 2147483647, 55, 0},  // an update count beyond the devices stays bounded
      {2147483647, -2147483647 - 1, 0, 55},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.devices << "/" << c.updates);
    const BarHeights bars = ResultChartHeights(c.devices, c.updates);
    EXPECT_FALSE(bars.placeholders);
    EXPECT_EQ(bars.outOfDate, c.expectOutOfDate);
    EXPECT_EQ(bars.upToDate, c.expectUpToDate);
  }
}

TEST(ButtonFrames, FrameChoiceTable) {
  struct Case {
    ButtonLook look;
    int hover3, custom3, four;
  };
  ButtonLook none;
  ButtonLook pressed;
  pressed.pressed = true;
  ButtonLook hovered;
  hovered.hovered = true;
  ButtonLook sticky;
  sticky.sticky = true;
  ButtonLook latched;
  latched.latched = true;
  ButtonLook focused;
  focused.focused = true;
  ButtonLook disabledHovered;
  disabledHovered.disabled = true;
  disabledHovered.hovered = true;
  ButtonLook disabledPressed;
  disabledPressed.disabled = true;
  disabledPressed.pressed = true;
  const Case cases[] = {
      {none, 0, 0, 0},
      {pressed, 1, 1, 1},
      {hovered, 2, 2, 2},
      {sticky, 2, 2, 2},
      {latched, 0, 1, 0},          // only navigation buttons latch
      {focused, 0, 2, 0},          // only navigation buttons show the focus
      {disabledHovered, 2, 2, 3},  // a disabled 4-frame button ignores the mouse
      {disabledPressed, 1, 1, 3},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(row++);
    EXPECT_EQ(FrameForHoverButton(c.look), c.hover3);
    EXPECT_EQ(FrameForCustomHoverButton(c.look), c.custom3);
    EXPECT_EQ(FrameForHoverButton4S(c.look), c.four);
  }
}

TEST(ButtonFrames, StripWidthIsSplitEvenly) {
  EXPECT_EQ(StripFrameWidth(300, 3), 100);
  EXPECT_EQ(StripFrameWidth(300, 4), 75);
  EXPECT_EQ(StripFrameWidth(301, 4), 75);
  EXPECT_EQ(StripFrameWidth(2, 3), 0);
  EXPECT_EQ(StripFrameWidth(300, 0), 0);
  EXPECT_EQ(StripFrameWidth(-300, 3), 0);
}

TEST(SettingsPageRules, AutoScanTextReadsAsANumber) {
  EXPECT_TRUE(AutoScanChecked(L"1"));
  EXPECT_TRUE(AutoScanChecked(L" 2"));
  EXPECT_FALSE(AutoScanChecked(L"0"));
  EXPECT_FALSE(AutoScanChecked(L""));
  EXPECT_FALSE(AutoScanChecked(L"yes"));
}

TEST(SettingsPageRules, ApplyAndDefaultFollowDifferences) {
  const SettingsPageValues stored{true, L"C:\\Data\\Download\\", L"C:\\Data\\Backup\\"};
  SettingsPageValues page = stored;
  EXPECT_FALSE(SettingsDiffer(page, stored));
  page.downloadFolder = L"c:\\DATA\\download\\";  // same folder, other case
  EXPECT_FALSE(SettingsDiffer(page, stored));
  page.autoScan = false;  // unchecking the box
  EXPECT_TRUE(SettingsDiffer(page, stored));
  page = stored;
  page.backupFolder = L"D:\\Elsewhere\\";
  EXPECT_TRUE(SettingsDiffer(page, stored));
}

}  // namespace
}  // namespace velkor
