#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "project/dates.h"
#include "project/weather_delay.h"
#include "project/weather_file.h"
#include "project/weather_scan.h"
#include "project/weather_table.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;
using testing::TempFolder;

// n lines: a month header of 30 days (with a label when dated), then days.
std::string weatherLines(int n, const std::string& label = "") {
    std::string s = label.empty() ? "30\r\n" : "30," + label + "\r\n";
    for (int i = 1; i < n; ++i)
        s += "5.2,.1\r\n";
    return s;
}

TEST(WeatherScan, YearsFromLineCountAndDatedOrNot) {
    const WeatherScan two = scanWeatherText("Weather.dat", weatherLines(754));
    EXPECT_FALSE(two.dated);
    EXPECT_EQ(two.lineCount, 754);
    EXPECT_EQ(two.years, 2);
    EXPECT_EQ(startDateText(two), "N/A");
    EXPECT_EQ(endDateText(two), "N/A");

    const WeatherScan none = scanWeatherText("Weather.dat", weatherLines(376));
    EXPECT_EQ(none.years, 0);
    EXPECT_EQ(yearsForSpinner(none), 1);

    const WeatherScan dated = scanWeatherText("Weather.dat", weatherLines(754, "4/1/1990"));
    EXPECT_TRUE(dated.dated);
    EXPECT_EQ(startDateText(dated), "4/1/1990");
    // The last day of the years the file holds, leap days or not.
    EXPECT_EQ(endDateText(dated), "3/31/1992");
    EXPECT_EQ(endDateForYears(dated.startDate, 3), "3/31/1993");
    EXPECT_EQ(endDateForYears(std::nullopt, 3), "N/A");
    const WeatherScan thirty = scanWeatherText("Weather.dat", weatherLines(30 * 377, "4/1/1990"));
    EXPECT_EQ(endDateText(thirty), "3/31/2020");
    EXPECT_EQ(endDateText(thirty), endDateForYears(thirty.startDate, 30));
    // While typing: only a count the run accepts gets a date.
    EXPECT_EQ(endDateWhileTyping(thirty.startDate, "29", 30), "3/31/2019");
    EXPECT_EQ(endDateWhileTyping(thirty.startDate, "50", 30), "");
    EXPECT_EQ(endDateWhileTyping(thirty.startDate, "0", 30), "");
    EXPECT_EQ(endDateWhileTyping(thirty.startDate, "", 30), "");

    EXPECT_EQ(startDateText(scanWeatherText("W.dat", weatherLines(10, "1990-04-01"))), "4/1/1990");
    try {
        scanWeatherText("W.dat", "30,Someday\r\n1,2\r\n");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("W.dat:1: field 2 (date label)"));
    }
}

TEST(WeatherScan, LongFilesReadTheirHeadLikeTheWholeText) {
    // More than the head the scan looks at first: the same answers and the
    // same messages as for a short text.
    const WeatherScan dated = scanWeatherText("W.dat", weatherLines(3770, "4/1/1990"));
    EXPECT_TRUE(dated.dated);
    EXPECT_EQ(dated.years, 10);
    std::string blankHead(9000, '\n');
    const WeatherScan late = scanWeatherText("W.dat", blankHead + weatherLines(377, "4/1/1990"));
    EXPECT_TRUE(late.dated);
    EXPECT_EQ(late.lineCount, 9377);
    try {
        scanWeatherText("W.dat", blankHead + "30,Someday\r\n1,2\r\n");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("W.dat:9001: field 2 (date label)"));
    }
}

// A year of one-day months, every day temp, prec.
std::string oneDayMonths(const std::string& day) {
    std::string s;
    for (int m = 1; m <= 12; ++m)
        s += "1\r\n" + day + "\r\n";
    return s;
}

TEST(WeatherScan, TheRunTakesTheScannedBytesOnlyOfAnUnchangedFile) {
    TempFolder dir;
    const std::string path = dir.write("Weather.dat", oneDayMonths("20,1.5"));
    scanWeatherFile(path);
    // The file is replaced after the scan: the run reads the new one.
    dir.write("Weather.dat", oneDayMonths("21,2.5"));
    WeatherYear year{};
    WeatherFileSource changed(path, false);
    changed.readYear(1, year);
    EXPECT_FLOAT_EQ(year[1].temp[1], 21.0f);

    // Unchanged: the scanned bytes serve, and read the same.
    scanWeatherFile(path);
    WeatherFileSource same(path, false);
    same.readYear(1, year);
    EXPECT_FLOAT_EQ(year[1].prec[1], 2.5f);
    // A later change is read again by the next run.
    dir.write("Weather.dat", oneDayMonths("22,3.5"));
    WeatherFileSource again(path, false);
    again.readYear(1, year);
    EXPECT_FLOAT_EQ(year[1].temp[1], 22.0f);
}

TEST(WeatherScan, CountsEveryKindOfLineEndAcrossWordBoundaries) {
    // The slow, obvious count the many-bytes-at-a-time one must agree with.
    const auto reference = [](const std::string& s) {
        std::int32_t lines = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')))
                ++lines;
        }
        if (!s.empty() && s.back() != '\n' && s.back() != '\r')
            ++lines;
        return lines;
    };
    EXPECT_EQ(countLines(""), 0);
    EXPECT_EQ(countLines("1234567\r\n1234567\r\n"), 2);  // CR LF split over two words
    EXPECT_EQ(countLines("1234567\r1234567\r\r\n12345"), 4);
    // Bytes one bit away from CR or LF are no line ends.
    EXPECT_EQ(countLines(std::string("\x8a\x8d\x0b\x0c\x02\x00"
                                     "ghijklmnop",
                                     16)),
              1);

    const char alphabet[] = {'a', '\r', '\n', '\x8a', '\x8d', '\0', '5'};
    std::uint32_t seed = 12345;
    for (int trial = 0; trial < 3000; ++trial) {
        seed = seed * 1664525u + 1013904223u;
        const std::size_t length = (seed >> 8) % 70;
        std::string s;
        for (std::size_t i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            s += alphabet[(seed >> 16) % sizeof alphabet];
        }
        ASSERT_EQ(countLines(s), reference(s)) << "trial " << trial;
    }
    // Long texts, where the byte counters are summed many times over.
    EXPECT_EQ(countLines(std::string(10000, '\n')), 10000);
    EXPECT_EQ(countLines(std::string(10001, '\r')), 10001);
    std::string mixed;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        mixed += alphabet[(seed >> 16) % sizeof alphabet];
    }
    EXPECT_EQ(countLines(mixed), reference(mixed));
}

TEST(Dates, ParsesTheUsualFormsAndAddsYears) {
    EXPECT_EQ(parseDate("4/1/1990"), (CalendarDate{1990, 4, 1}));
    EXPECT_EQ(parseDate("1990-04-01"), (CalendarDate{1990, 4, 1}));
    EXPECT_EQ(parseDate("1-Apr-1990"), (CalendarDate{1990, 4, 1}));
    EXPECT_EQ(parseDate("April 1, 1990"), (CalendarDate{1990, 4, 1}));
    EXPECT_EQ(parseDate("4/1/90"), (CalendarDate{1990, 4, 1}));
    EXPECT_FALSE(parseDate("2/30/1990"));
    EXPECT_FALSE(parseDate("Someday"));
    EXPECT_FALSE(parseDate("13/1/1990"));
    EXPECT_EQ(formatShortDate(addYears({1992, 2, 29}, 1)), "2/28/1993");
    EXPECT_EQ(formatShortDate(addDays({1999, 12, 31}, 1)), "1/1/2000");
}

TEST(WeatherFileSource, ReadsMonthsInOrderAndStopsAtTheEnd) {
    WeatherFileSource source(dataPath("Small/Weather.dat"), false);
    WeatherYear y{};
    source.readYear(1, y);
    EXPECT_EQ(y[1].days, 30.0f);
    EXPECT_EQ(y[11].days, 28.0f);
    EXPECT_FLOAT_EQ(y[1].temp[1], 1.3f);
    EXPECT_FLOAT_EQ(y[1].prec[2], 0.8f);
    try {
        source.readYear(2, y);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Weather.dat"));
        EXPECT_THAT(e.what(), HasSubstr("year 2, month 1"));
    }

    // Dated headers carry a label that is skipped.
    std::string dated = "2,4/1/1990\r\n1,0\r\n2,.5\r\n";
    for (int m = 2; m <= 12; ++m)
        dated += "1,x\r\n3,.25\r\n";
    WeatherFileSource d("D.dat", dated, true);
    d.preload(1);
    d.readYear(1, y);
    EXPECT_EQ(y[1].days, 2.0f);
    EXPECT_FLOAT_EQ(y[1].prec[2], 0.5f);
    EXPECT_FLOAT_EQ(y[12].temp[1], 3.0f);

    for (const char* badCount : {"32", "2.5", "-1"}) {
        WeatherFileSource bad("B.dat", std::string(badCount) + "\r\n1,1\r\n", false);
        try {
            bad.readYear(1, y);
            FAIL() << badCount;
        } catch (const RunError& e) {
            EXPECT_THAT(e.what(), HasSubstr("B.dat:1: field 1 (day count)"));
            EXPECT_THAT(e.what(), HasSubstr("year 1, month 1"));
        }
    }
}

// A run frees the text once its years are preloaded; the years stay, and a
// year beyond them is reported as missing, not read from freed memory.
TEST(WeatherFileSource, PreloadedYearsOutliveTheText) {
    std::string year = "";
    for (int m = 1; m <= 12; ++m)
        year += "2\r\n1.5,.25\r\n-3,0\r\n";
    WeatherFileSource source("W.dat", year + year + year, false);
    source.preload(2);
    source.dropText();
    WeatherYear y{};
    source.readYear(1, y);
    EXPECT_FLOAT_EQ(y[12].prec[1], 0.25f);
    ASSERT_NE(source.heldYear(2), nullptr);
    EXPECT_FLOAT_EQ(source.heldYear(2)->at(6).temp[2], -3.0f);
    EXPECT_EQ(source.heldYear(3), nullptr);
    try {
        source.readYear(3, y);
        FAIL() << "year 3 read after the text was freed";
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("end before year 3"));
    }
}

TEST(WeatherTable, DefaultTableSavesAsAWeatherFile) {
    std::array<std::string, 13> names{"",    "Apr", "May", "Jun", "Jul", "Aug", "Sep",
                                      "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};
    const WeatherTable t = createDefaultWeather(2, names);
    ASSERT_EQ(t.rows.size(), 755u);
    EXPECT_EQ(t.rows[0], (WeatherRow{"New_File", "Temp (C)", "Prcp (cm)"}));
    EXPECT_EQ(t.rows[378], (WeatherRow{"", "30", "2-Apr"}));
    EXPECT_EQ(t.rows[379][0], "366");
    const std::vector<std::string> lines = splitLines(weatherTableText(t));
    ASSERT_EQ(lines.size(), 754u);
    EXPECT_EQ(lines[0], "30,1-Apr");
    EXPECT_EQ(lines[1], "10,1");
    EXPECT_EQ(lines[31], "31,1-May");

    const WeatherStats s = weatherStatistics(t);
    EXPECT_EQ(s.daysText, "730 (24 months)");
    EXPECT_EQ(s.meanTempText, "10.00");
    EXPECT_EQ(s.meanPrecText, "1.0000");

    TempFolder tmp;
    saveWeatherTable(tmp.file("W.dat"), t);
    const WeatherScan scan = scanWeatherFile(tmp.file("W.dat"));
    EXPECT_EQ(scan.years, 2);
    EXPECT_TRUE(scan.dated);  // "1-Apr" is a date of the current year
}

TEST(WeatherTable, LoadingFlagsDoubtfulDaysAndStopsAtBadFields) {
    const WeatherLoad small = loadWeatherTable(dataPath("Small/Weather.dat"), false);
    EXPECT_EQ(small.error, "");
    EXPECT_TRUE(small.flagged.empty());
    ASSERT_EQ(small.table.rows.size(), 378u);
    EXPECT_EQ(small.table.rows[1], (WeatherRow{"Days of Month", "30", ""}));
    EXPECT_EQ(small.table.rows[2], (WeatherRow{"1", "1.3", "0"}));
    EXPECT_EQ(weatherStatistics(small.table).daysText, "365 (12 months)");

    const WeatherLoad edge =
        loadWeatherText("E.dat", "4,4/1/1990\r\n50,0\r\n50.1,0\r\n20,-.01\r\n.2,.004\r\n", true);
    ASSERT_EQ(edge.flagged.size(), 2u);
    EXPECT_EQ(edge.flagged[0].row, 3u);
    EXPECT_EQ(edge.flagged[0].message, "Possible data error: Temp=50.1, Prcp=0");
    EXPECT_EQ(edge.flagged[1].message, "Possible data error: Temp=20, Prcp=-.01");
    const WeatherStats s = weatherStatistics(edge.table);
    EXPECT_EQ(s.meanTempText, "30.07");  // 120.3 / 4, a hair below 30.075
    EXPECT_EQ(s.meanPrecText, "-0.0015");
    EXPECT_EQ(s.daysText, "4 (1 months)");

    const WeatherLoad cut = loadWeatherText("C.dat", "3\r\n1,1\r\nx,1\r\n", false);
    EXPECT_THAT(cut.error, HasSubstr("C.dat:3: field 1 (temperature)"));
    EXPECT_EQ(cut.table.rows.size(), 3u);
}

// A table of one 31-day month: day d has temperature d and precipitation d/10.
WeatherTable oneMonth() {
    WeatherTable t;
    t.rows.push_back({"W.dat", "Temp", "Prcp"});
    t.rows.push_back({"Days of Month", "31", ""});
    for (int d = 1; d <= 31; ++d)
        t.rows.push_back({std::to_string(d), std::to_string(d), "0"});
    return t;
}

TEST(WeatherDelay, OneDayMovesEveryValuePastTheMonthHeaders) {
    // Two months: 3 days then 31; values 1..34.
    WeatherTable g;
    g.rows.push_back({"W.dat", "Temp", "Prcp"});
    g.rows.push_back({"Days of Month", "3", ""});
    for (int d = 1; d <= 3; ++d)
        g.rows.push_back({std::to_string(d), std::to_string(d), "0"});
    g.rows.push_back({"Days of Month", "31", ""});
    for (int d = 1; d <= 31; ++d)
        g.rows.push_back({std::to_string(d), std::to_string(3 + d), "0"});

    const WeatherTable h = delayWeatherTable(g, dataPath("Small/Wdelay.dat"), 1);
    ASSERT_EQ(h.rows.size(), g.rows.size());
    EXPECT_EQ(h.rows[1], g.rows[1]);
    EXPECT_EQ(h.rows[2], (WeatherRow{"1", "12.75", ".3"}));  // last delay record
    EXPECT_EQ(h.rows[3][1], "1");
    EXPECT_EQ(h.rows[4][1], "2");
    EXPECT_EQ(h.rows[5], g.rows[5]);                    // the second month's header
    EXPECT_EQ(h.rows[6], (WeatherRow{"1", "3", "0"}));  // day 3 moved past the header
    EXPECT_EQ(h.rows[7][1], "4");
    EXPECT_EQ(h.rows.back(), (WeatherRow{"31", "33", "0"}));  // value 34 dropped
    EXPECT_EQ(weatherStatistics(h).daysText, "34 (2 months)");
}

TEST(WeatherDelay, RefusesWhatItCannotDoAndLeavesTheTableAlone) {
    const WeatherTable g = oneMonth();
    const std::string delay = readWholeFile(dataPath("Small/Wdelay.dat"));
    const WeatherTable d5 = delayWeatherTableText(g, "Wdelay.dat", delay, 5);
    EXPECT_EQ(d5.rows[2], (WeatherRow{"1", "11.75", ".3"}));  // record 28 of 32
    EXPECT_EQ(d5.rows[7][1], "1");
    EXPECT_EQ(d5.rows[28][0], "27");

    const std::string shortDelay = delay.substr(0, delay.rfind("12.75"));
    try {
        delayWeatherTableText(g, "Wdelay.dat", shortDelay, 1);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("must hold 32 daily records"));
        EXPECT_THAT(e.what(), HasSubstr("Wdelay.dat:32"));
    }
    EXPECT_THROW(delayWeatherTableText(g, "Wdelay.dat", delay, 0), RunError);
    EXPECT_THROW(delayWeatherTableText(g, "Wdelay.dat", delay, 33), RunError);
    WeatherTable feb = g;
    feb.rows[1][1] = "28";
    feb.rows.resize(30);
    try {
        delayWeatherTableText(feb, "Wdelay.dat", delay, 29);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("longer than the shortest month (28 days)"));
    }
}

}  // namespace
}  // namespace rivulon

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;

// A stray comma in the delay file shifts every later value: the line is
// pointed out, and so is text after the 32nd record.
TEST(WeatherDelay, ShiftedFieldsAndTrailingTextArePointedOut) {
    const WeatherTable g = oneMonth();
    const std::string delay = readWholeFile(dataPath("Small/Wdelay.dat"));
    std::vector<std::string> warnings;
    delayWeatherTableText(g, "Wdelay.dat", delay, 1, &warnings);
    EXPECT_TRUE(warnings.empty());

    std::string shifted = delay;
    shifted.insert(shifted.find_first_of("\r\n"), ",9");
    warnings.clear();
    delayWeatherTableText(g, "Wdelay.dat", shifted + "1,1\n", 1, &warnings);
    ASSERT_FALSE(warnings.empty());
    EXPECT_THAT(warnings[0], HasSubstr("Wdelay.dat:1: expected 2 fields on this line, found 3"));

    warnings.clear();
    delayWeatherTableText(g, "Wdelay.dat", delay + "surveyed 1998\n", 1, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_THAT(warnings[0], HasSubstr("text after the last record is ignored"));
}

}  // namespace
}  // namespace rivulon
