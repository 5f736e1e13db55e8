#include "window/font_metrics.h"

#include <gtest/gtest.h>

namespace {

// The widths Windows gives these strings, computed from the free fonts themselves (their advance
// widths rounded glyph by glyph, or their bitmaps at the sizes that have them), and the dialog
// base units Windows gives its two dialog fonts at 8 points: 6 by 13 pixels.
TEST(FontMetricsTest, WidthsAreThoseOfTheFreeFonts) {
  struct Row {
    Font font;
    int save, cancel, german, russian;
    int averageWidth, height;
  };
  const Row rows[] = {
      {{"Arial", 8, false}, 25, 34, 55, 55, 6, 12},
      {{"arial", 10, true}, 30, 42, 69, 69, 8, 15},
      {{"Times New Roman", 12, false}, 31, 44, 73, 74, 9, 17},
      {{"Courier New", 10, false}, 32, 48, 80, 72, 8, 15},
      {{"Tahoma", 8, false}, 24, 32, 55, 54, 6, 13},  // bitmaps
      {{"Tahoma", 14, false}, 40, 55, 96, 92, 10, 23},
      {{"Tahoma", 8, true}, 28, 38, 65, 62, 7, 13},
      {{"MS Sans Serif", 8, false}, 25, 33, 53, 53, 6, 13},  // a raster font
      {{"MS Sans Serif", 9, false}, 25, 33, 53, 53, 6, 13},  // its next smaller size
      {{"MS Sans Serif", 8, true}, 29, 39, 63, 62, 7, 13},   // drawn twice, a pixel apart
      {{"MS Sans Serif", 10, false}, 32, 42, 67, 69, 8, 16},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.font.typeface + " " + std::to_string(row.font.points));
    FontMetrics metrics(row.font);
    EXPECT_EQ(metrics.Width(U"Save"), row.save);
    EXPECT_EQ(metrics.Width(U"Cancel"), row.cancel);
    EXPECT_EQ(metrics.Width(U"Überprüfen"), row.german);
    EXPECT_EQ(metrics.Width(U"Сохранить"), row.russian);
    EXPECT_EQ(metrics.AverageWidth(), row.averageWidth);
    EXPECT_EQ(metrics.Height(), row.height);
    EXPECT_EQ(metrics.Estimate(), "");
  }
}

TEST(FontMetricsTest, AFontWithoutAFreeTwinIsAnEstimate) {
  FontMetrics segoe(Font{"Segoe UI", 8, false});
  EXPECT_EQ(segoe.Width(U"Save"), FontMetrics(Font{"Tahoma", 8, false}).Width(U"Save"));
  EXPECT_EQ(segoe.Estimate(), "an estimate: Segoe UI measured as Tahoma");
  EXPECT_EQ(FontMetrics(Font{"Wingdings", 8, false}).Estimate(),
            "an estimate: Wingdings measured as Liberation Sans");
  EXPECT_EQ(FontMetrics(Font{"MS Sans Serif", 14, false}).Estimate(),
            "an estimate: MS Sans Serif 14 measured from its outlines");
  EXPECT_EQ(FontMetrics(Font{"Arial", 8, false}).Width(U"\x4E2D"), 0);  // in no code page
}

}  // namespace
