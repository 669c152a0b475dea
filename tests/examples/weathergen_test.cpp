#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/list_reader.h"
#include "common/portable_math.h"
#include "tools/weathergen/day_length.h"
#include "tools/weathergen/weather_generator.h"

namespace rivulon::weathergen {
namespace {

using ::testing::HasSubstr;

struct Day {
    int month;  // 0 = April
    float temp, prec;
};

// Reads a generated file back the way the model does and checks its layout on
// the way: 12 headers a year with the model-year day counts.
std::vector<Day> readSeries(const std::string& text, int years, bool dated) {
    const auto lines = splitLines(text);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(377 * years));
    ListReader in("gen.dat", text);
    std::vector<Day> days;
    for (int y = 0; y < years; ++y) {
        for (int m = 0; m < 12; ++m) {
            EXPECT_EQ(in.readInt16("days"), kModelMonthDays[m]);
            if (dated)
                in.readString("date");
            for (int d = 0; d < kModelMonthDays[m]; ++d) {
                Day day{m, in.readReal("temp"), in.readReal("prec")};
                days.push_back(day);
            }
        }
    }
    EXPECT_TRUE(in.atEnd());
    return days;
}

TEST(WeatherGenerator, WritesModelYearsWithDatedOrUndatedHeaders) {
    WeatherParams p;
    p.years = 2;
    p.startYear = 1990;
    const auto w = generateWeather(p);
    const auto lines = splitLines(w.weather);
    ASSERT_EQ(lines.size(), 754u);
    EXPECT_EQ(lines[0], "30,4/1/1990");
    EXPECT_EQ(lines[31], "31,5/1/1990");
    EXPECT_EQ(lines[284], "31,1/1/1991");
    EXPECT_EQ(lines[316], "28,2/1/1991");
    EXPECT_EQ(lines[377], "30,4/1/1991");
    EXPECT_EQ(lines[722], "31,3/1/1992");
    // Values are written at station precision: .1 degC and .01 cm.
    for (const auto& d : readSeries(w.weather, 2, true)) {
        EXPECT_NEAR(d.temp * 10, std::nearbyint(d.temp * 10), 1e-3);
        EXPECT_NEAR(d.prec * 100, std::nearbyint(d.prec * 100), 1e-3);
        EXPECT_GE(d.prec, 0.0f);
    }

    p.startYear.reset();
    const auto undated = generateWeather(p).weather;
    EXPECT_EQ(splitLines(undated)[31], "31");
    EXPECT_EQ(readSeries(undated, 2, false).size(), 730u);
}

TEST(WeatherGenerator, DelayFileHoldsThe32DaysBeforeTheSeries) {
    WeatherParams p;
    p.years = 1;
    const auto delay = generateWeather(p).delay;
    ListReader in("Wdelay.dat", delay);
    for (int i = 0; i < 32; ++i) {
        in.readReal("temp");
        EXPECT_GE(in.readReal("prec"), 0.0f);
    }
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(splitLines(delay).size(), 32u);
}

// The series must not depend on the machine, compiler or C library: the first
// lines for seed 7 are fixed here. A change means the generator's output
// changed and the example weather must be regenerated on purpose.
TEST(WeatherGenerator, SeedGivesTheSameBytesEverywhere) {
    WeatherParams p;
    p.years = 1;
    p.seed = 7;
    const auto a = generateWeather(p);
    EXPECT_EQ(a.weather, generateWeather(p).weather);
    EXPECT_EQ(a.weather.substr(0, 48), "30\n6.5,0\n8.1,.11\n3.8,2.14\n4.6,0\n5.1,.24\n5.4,.84\n");
    p.seed = 8;
    EXPECT_NE(a.weather, generateWeather(p).weather);
}

TEST(WeatherGenerator, PrecipitationTotalOnlyRescalesAmounts) {
    WeatherParams p;
    p.years = 3;
    const auto base = readSeries(generateWeather(p).weather, 3, false);
    p.annualPrecipCm = 2 * p.annualPrecipCm;
    const auto wetter = readSeries(generateWeather(p).weather, 3, false);
    ASSERT_EQ(base.size(), wetter.size());
    for (std::size_t i = 0; i < base.size(); ++i) {
        EXPECT_EQ(base[i].temp, wetter[i].temp) << "day " << i;
        EXPECT_NEAR(wetter[i].prec, 2 * base[i].prec, 0.0151) << "day " << i;
    }
}

struct Climate {
    double annualPrec = 0, meanTemp = 0, wetFraction = 0, snowDays = 0;
    double monthTemp[12] = {};
};

Climate climateOf(const WeatherParams& p) {
    const auto days = readSeries(generateWeather(p).weather, p.years, p.startYear.has_value());
    Climate c;
    int perMonth[12] = {};
    for (const auto& d : days) {
        c.annualPrec += d.prec;
        c.meanTemp += d.temp;
        c.wetFraction += d.prec > 0;
        c.snowDays += d.prec > 0 && d.temp <= 0;
        c.monthTemp[d.month] += d.temp;
        ++perMonth[d.month];
    }
    c.annualPrec /= p.years;
    c.meanTemp /= static_cast<double>(days.size());
    c.wetFraction /= static_cast<double>(days.size());
    c.snowDays /= p.years;
    for (int m = 0; m < 12; ++m)
        c.monthTemp[m] /= perMonth[m];
    return c;
}

TEST(WeatherGenerator, LongSeriesHasTheRequestedClimate) {
    WeatherParams p;
    p.years = 40;
    p.seed = 11;
    p.annualPrecipCm = 90;
    p.meanTempC = 8;
    p.tempAmplitudeC = 12;
    const Climate c = climateOf(p);
    EXPECT_NEAR(c.annualPrec, 90, 6);
    EXPECT_NEAR(c.meanTemp, 8, 0.6);
    EXPECT_NEAR(c.monthTemp[3] - c.monthTemp[9], 24 * 0.95, 2.5);  // July minus January
    EXPECT_GT(c.wetFraction, 0.25);
    EXPECT_LT(c.wetFraction, 0.40);
    EXPECT_GT(c.snowDays, 10);  // winters below freezing bring snow

    p.latitude = -35;  // seasons flip
    const Climate south = climateOf(p);
    EXPECT_GT(south.monthTemp[9], south.monthTemp[3] + 15);
}

TEST(WeatherGenerator, RefusesSettingsOutOfRange) {
    WeatherParams p;
    p.years = 0;
    EXPECT_THAT([&] { generateWeather(p); },
                ::testing::ThrowsMessage<BadWeatherParams>(HasSubstr("--years")));
    p = {};
    p.annualPrecipCm = 0;
    EXPECT_THAT([&] { generateWeather(p); },
                ::testing::ThrowsMessage<BadWeatherParams>(HasSubstr("--annual-precip-cm")));
    p = {};
    p.latitude = 80;
    EXPECT_THAT([&] { generateWeather(p); },
                ::testing::ThrowsMessage<BadWeatherParams>(HasSubstr("--latitude")));
}

TEST(PortableMath, AgreesWithTheCLibrary) {
    for (double x = 1e-300; x < 1e300; x *= 7.3) {
        EXPECT_NEAR(portableLog(x), std::log(x), 4e-16 * std::fabs(std::log(x)) + 1e-300) << x;
    }
    for (double x = 1e-9; x < 1; x += 0.0137) {
        EXPECT_NEAR(portableLog(x), std::log(x), 1e-15 * std::fabs(std::log(x))) << x;
    }
    for (double x = -700; x < 700; x += 3.7) {
        EXPECT_NEAR(portableExp(x), std::exp(x), 1e-15 * std::exp(x)) << x;
    }
    for (double x = -7; x < 7; x += 0.0531) {
        EXPECT_NEAR(portableCos(x), std::cos(x), 1e-15) << x;
    }
}

TEST(DayLength, FollowsLatitudeAndSeason) {
    const auto equator = monthlyDayLengthHours(0);
    for (double h : equator)
        EXPECT_NEAR(h, 12.1, 0.1);
    const auto north = monthlyDayLengthHours(41.2);
    EXPECT_NEAR(north[2], 15.1, 0.1);  // June
    EXPECT_NEAR(north[8], 9.3, 0.1);   // December
    const auto south = monthlyDayLengthHours(-41.2);
    EXPECT_NEAR(south[2], north[8], 0.2);
}

}  // namespace
}  // namespace rivulon::weathergen
