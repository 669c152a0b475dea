#include <gtest/gtest.h>

#include "mapdb/map_hints.h"

namespace rivulon {
namespace {

const std::string kExample = RIVULON_SOURCE_DIR "/examples/Millbrook/Millbrook.prj";

TEST(MapHints, ColourNumberHasRedInTheLowByte) {
    EXPECT_EQ(colorNumber(255, 255, 255), 16777215);
    EXPECT_EQ(colorNumber(255, 0, 0), 255);
    EXPECT_EQ(colorNumber(0, 0, 255), 16711680);
    EXPECT_EQ(colorNumber(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
}

TEST(MapHints, LegendHintNamesTheFirstMatchOrTheUndefinedColour) {
    const std::vector<std::int32_t> colors{100, 200, 200};
    const std::vector<std::string> names{"Corn", "Hay", "Pasture"};
    EXPECT_EQ(legendHint(100, colors, names), "Corn");
    EXPECT_EQ(legendHint(200, colors, names), "Hay");
    EXPECT_EQ(legendHint(16777215, colors, names), "16777215 Undefined");
    EXPECT_EQ(legendHint(0, colors, names), "0 Undefined");
    // A colour sampled past the last name is not a category.
    EXPECT_EQ(legendHint(200, colors, {"Corn"}), "200 Undefined");
}

TEST(MapHints, CountyBoxIs160By50FromTheLabel) {
    MapLists lists;
    lists.labelX = {140, 60};
    lists.labelY = {60, 80};
    EXPECT_EQ(countyAt(140, 60, lists), 0);
    EXPECT_EQ(countyAt(299, 109, lists), 0);
    EXPECT_EQ(countyAt(300, 60, lists), -1);
    EXPECT_EQ(countyAt(301, 60, lists), -1);  // 161 px right of the label
    EXPECT_EQ(countyAt(250, 110, lists), -1);
    EXPECT_EQ(countyAt(139, 60, lists), -1);
    // Overlapping boxes: the first county in the list wins.
    EXPECT_EQ(countyAt(150, 85, lists), 0);
    EXPECT_EQ(countyAt(100, 120, lists), 1);
}

TEST(MapHints, CountyActsOnceForEachEntry) {
    CountyHover hover;
    EXPECT_TRUE(hover.move(2));
    EXPECT_FALSE(hover.move(2));
    EXPECT_FALSE(hover.move(2));
    EXPECT_FALSE(hover.move(-1));
    EXPECT_TRUE(hover.move(2));
    EXPECT_TRUE(hover.move(0));  // straight from one box into another
    hover.reset();
    EXPECT_TRUE(hover.move(0));
}

TEST(MapHints, ScrollRangesStayInPixelsForLargeMaps) {
    const ScrollRange big = scrollRange(5000, 600);
    EXPECT_TRUE(big.enabled);
    EXPECT_EQ(big.maximum, 4400);  // 66,000 twips would not fit in 16 bits
    EXPECT_EQ(big.smallStep, 125);
    EXPECT_EQ(big.pageStep, 250);
    const ScrollRange small = scrollRange(500, 600);
    EXPECT_FALSE(small.enabled);
    EXPECT_EQ(small.maximum, 0);
    EXPECT_FALSE(scrollRange(600, 600).enabled);
    EXPECT_GE(scrollRange(10, 5).smallStep, 1);
}

TEST(MapHints, ExampleListsGiveEachMapItsLegend) {
    const MapLists landUse = readMapLists(kExample, MapKind::LandUse);
    ASSERT_EQ(landUse.countyNames.size(), 3u);
    EXPECT_EQ(landUse.countyNames[1], "Cedar Run");
    EXPECT_FLOAT_EQ(landUse.labelX[2], 360);
    EXPECT_FLOAT_EQ(landUse.labelY[2], 300);
    ASSERT_EQ(landUse.legendNames.size(), 11u);
    EXPECT_EQ(landUse.legendNames[1], "Corn");

    const MapLists soil = readMapLists(kExample, MapKind::Soil);
    ASSERT_EQ(soil.legendNames.size(), 6u);
    EXPECT_EQ(soil.legendNames[1], "Chenango gravelly loam (A)");

    EXPECT_TRUE(readMapLists(kExample, MapKind::County).legendNames.empty());
}

}  // namespace
}  // namespace rivulon
