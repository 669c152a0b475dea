// The transport editor's rules without a window: new-file defaults, day
// length, SDR, area shares and the checks made before a save; and the weather
// table's save check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "project/transport_editing.h"
#include "project/transport_file.h"
#include "project/weather_table.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

TEST(TransportEditing, DayLengthFollowsLatitudeAndSeason) {
    for (int m = 1; m <= 12; ++m) {
        EXPECT_NEAR(dayLengthHours(0.0f, m), 12.0f, 1e-4f) << m;
    }
    // Mid-northern latitude: long June (m = 3), short December (m = 9); the
    // southern hemisphere mirrors it.
    EXPECT_GT(dayLengthHours(45.0f, 3), 15.0f);
    EXPECT_LT(dayLengthHours(45.0f, 9), 9.0f);
    EXPECT_NEAR(dayLengthHours(45.0f, 3) + dayLengthHours(-45.0f, 3), 24.0f, 1e-3f);
    // Latitudes the question accepts up to 67 degrees stay finite: the polar
    // months give a full day or none instead of the root of a negative number.
    for (int m = 1; m <= 12; ++m) {
        const float hours = dayLengthHours(66.99f, m);
        EXPECT_TRUE(std::isfinite(hours)) << m;
        EXPECT_GE(hours, 0.0f);
        EXPECT_LE(hours, 24.0f);
    }
    EXPECT_EQ(dayLengthHours(66.99f, 3), 24.0f);
}

TEST(TransportEditing, NewTableHasTheDefaultsAndWritesAReadableFile) {
    const TransportTable t = newTransportTable(0.0f, 2, 1, defaultMonthNames());
    EXPECT_EQ(t.ruralCount, "2");
    EXPECT_EQ(t.urbanCount, "1");
    EXPECT_EQ(t.basin[0], "0.03");
    EXPECT_EQ(t.months[0][0], "Apr");
    EXPECT_EQ(t.months[11][0], "Mar");
    EXPECT_EQ(t.months[0][2], "12.0");
    EXPECT_EQ(t.months[6][1], "0.95");  // October
    EXPECT_EQ(t.months[7][1], "0.45");  // November
    EXPECT_EQ(t.months[5][4], "0.3");   // September
    EXPECT_EQ(t.months[6][4], "0.12");  // October
    ASSERT_EQ(t.landUses.size(), 3u);
    EXPECT_EQ(t.landUses[2][0], "Land Use 3");
    EXPECT_FALSE(checkTransportTable(t).has_value());

    const std::string text = transportFileText(t);
    EXPECT_THAT(text, ::testing::StartsWith("2,1\r\n.03,0,0,0,0,0,0\r\n0\r\n"));
    EXPECT_THAT(text, HasSubstr("\"Apr\",.95,12,1,.3\r\n"));
    EXPECT_THAT(text, HasSubstr("\"Land Use 1\",1,70,.001\r\n"));
    WatershedSetup ws;
    readTransportText("New.dat", text, ws);
    EXPECT_EQ(ws.landUseCount, 3);
    EXPECT_FLOAT_EQ(ws.dayLength[7], 12.0f);
    // Read back and written again: the same bytes.
    EXPECT_EQ(transportFileText(transportTableFrom(ws)), text);
}

TEST(TransportEditing, MonthNamesOfALoadedFileOrTheDefaults) {
    WatershedSetup ws;
    EXPECT_EQ(monthNamesOrDefault(ws)[1], "Apr");
    for (int m = 1; m <= 12; ++m)
        ws.monthName[m] = "M" + std::to_string(m);
    EXPECT_EQ(monthNamesOrDefault(ws)[12], "M12");
}

TEST(TransportEditing, SdrFromAreaAndItsRefusals) {
    EXPECT_NEAR(sedimentDeliveryRatio(10.0), 0.1791, 5e-5);
    const auto sdr = sdrFromAreas({"2000", "590"});
    ASSERT_TRUE(sdr.has_value());
    EXPECT_FLOAT_EQ(*sdr, sedimentDeliveryRatio(10.0));
    EXPECT_FALSE(sdrFromAreas({"2000", "59O"}).has_value());
    EXPECT_FALSE(sdrFromAreas({"0", "0"}).has_value());
    EXPECT_FALSE(sdrFromAreas({}).has_value());
}

TEST(TransportEditing, SharesAndRedistribution) {
    const AreaShares shares = areaShares({"200", "300"});
    EXPECT_FLOAT_EQ(shares.totalArea, 500.0f);
    ASSERT_EQ(shares.percent.size(), 2u);
    EXPECT_FLOAT_EQ(shares.percent[0], 40.0f);
    EXPECT_FLOAT_EQ(shares.percent[1], 60.0f);
    EXPECT_TRUE(areaShares({"0", "x"}).percent.empty());
    const std::vector<float> areas = redistributeAreas(500.0f, {"50", "50"});
    EXPECT_FLOAT_EQ(areas[0], 250.0f);
    EXPECT_FLOAT_EQ(areas[1], 250.0f);
}

TEST(TransportEditing, SaveChecksNameTheCell) {
    TransportTable t = newTransportTable(36.0f, 1, 1, defaultMonthNames());
    t.basin[5] = "";
    auto problem = checkTransportTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->table, 0);
    EXPECT_EQ(problem->row, 7);
    EXPECT_THAT(problem->message, HasSubstr("\"Sediment Delivery Ratio (SDR):\""));

    t.basin[5] = ".2";
    t.landUses[1][3] = "1e-3x";
    problem = checkTransportTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->table, 2);
    EXPECT_EQ(problem->row, 2);
    EXPECT_EQ(problem->col, 3);
    EXPECT_THAT(problem->message,
                HasSubstr("land-use table, row 2 (Land Use 2), column \"K*LS*C*P\""));

    t.landUses[1][3] = "1e-3";
    t.urbanCount = "2";
    problem = checkTransportTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(problem->message, HasSubstr("1 rural and 2 urban"));
    EXPECT_THAT(problem->message, HasSubstr("has 2 rows"));
    t.urbanCount = "1.5";
    EXPECT_THAT(checkTransportTable(t)->message, HasSubstr("whole number"));
    t.urbanCount = "1";
    EXPECT_FALSE(checkTransportTable(t).has_value());
}

TEST(WeatherTableCheck, EveryStoredNumberIsCheckedLabelsAreNot) {
    WeatherTable t = createDefaultWeather(1, defaultMonthNames());
    EXPECT_FALSE(checkWeatherTable(t).has_value());
    t.rows[1][2] = "any label at all";  // a month header's date label
    EXPECT_FALSE(checkWeatherTable(t).has_value());
    // A value the load would only question is saved as typed; one the run
    // refuses is not.
    t.rows[2][1] = "60";
    EXPECT_FALSE(checkWeatherTable(t).has_value());
    t.rows[3][2] = "-1";
    ASSERT_TRUE(checkWeatherTable(t).has_value());
    EXPECT_THAT(
        checkWeatherTable(t)->message,
        HasSubstr(
            "any label at all, day 2, column 2 (Prcp (cm)): -1 is outside the allowed range"));
    t.rows[3][2] = "0";

    t.rows[5][2] = "1,5";
    auto problem = checkWeatherTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->row, 5u);
    EXPECT_EQ(problem->col, 2);
    EXPECT_THAT(problem->message,
                HasSubstr("any label at all, day 4, column 2 (Prcp (cm)): \"1,5\""));
    t.rows[5][2] = "1";

    t.rows[1][1] = "thirty";
    EXPECT_THAT(checkWeatherTable(t)->message, HasSubstr("the day count \"thirty\""));
    t.rows[1][1] = "30";

    stopLoadAt(t, 10);
    EXPECT_EQ(t.rows.size(), 378u);
    EXPECT_TRUE(t.rows[10][1].empty());
    problem = checkWeatherTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->row, 10u);
    EXPECT_THAT(problem->message, HasSubstr("the row is empty"));
}

}  // namespace
}  // namespace rivulon
