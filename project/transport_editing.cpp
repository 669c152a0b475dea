#include "project/transport_editing.h"

#include <cmath>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/value_rules.h"

namespace rivulon {

namespace {

// A value as a box shows a number assigned to it: the written form with the
// leading zero a display gives ("0.03").
std::string displayReal(float value) {
    std::string s = formatReal(value);
    if (s.starts_with('.'))
        s.insert(0, 1, '0');
    else if (s.starts_with("-."))
        s.insert(1, 1, '0');
    return s;
}

// One decimal, as the month table shows day lengths.
std::string oneDecimal(float value) {
    const double tenths = std::round(static_cast<double>(value) * 10.0);
    const long whole = static_cast<long>(tenths);
    const long absTenths = whole < 0 ? -whole : whole;
    std::string s = (whole < 0 ? "-" : "") + std::to_string(absTenths / 10) + "." +
                    std::to_string(absTenths % 10);
    return s;
}

bool isNumber(const std::string& text) {
    float value = 0;
    return parseReal(text, value);
}

const char* const kBoxLabels[14] = {"Number of Rural Land Use Type:",
                                    "Number of Urban Land Use Type:",
                                    "Recession Coefficient of the River:",
                                    "Seepage Coefficient of the Basin:",
                                    "Initial Unsaturated Storage:",
                                    "Initial Saturated Storage:",
                                    "Initial Snow Cover (cm):",
                                    "Sediment Delivery Ratio (SDR):",
                                    "Unsaturated Water Capacity:",
                                    "Antecedent Rain+Melt For Day -1:",
                                    "Antecedent Rain+Melt For Day -2:",
                                    "Antecedent Rain+Melt For Day -3:",
                                    "Antecedent Rain+Melt For Day -4:",
                                    "Antecedent Rain+Melt For Day -5:"};
const char* const kMonthColumns[5] = {"Month", "ET Cover Coef.", "Day Length (hrs)",
                                      "Growing Season ?", "Erosivity Coef."};
const char* const kLandUseColumns[4] = {"Land Use Type", "Area (ha)", "Soil Curve #", "K*LS*C*P"};

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::array<std::string, 13> defaultMonthNames() {
    return {"", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};
}

std::array<std::string, 13> monthNamesOrDefault(const WatershedSetup& ws) {
    for (int m = 1; m <= 12; ++m) {
        if (ws.monthName[m].empty())
            return defaultMonthNames();
    }
    return ws.monthName;
}

float dayLengthHours(float latitudeDeg, int month) {
    const double t = std::tan(static_cast<double>(latitudeDeg) * 0.017453);
    const double c = std::cos(((month + 3) * 30.4375 - 5.0) * 0.0172);
    const auto y = static_cast<float>(t * 0.43481 * c);
    // Past the polar circle the sun does not set (or rise) that month; the
    // formula would take the root of a negative number there.
    if (y >= 1.0f)
        return 0.0f;
    if (y <= -1.0f)
        return 24.0f;
    const double yd = y;
    return static_cast<float>((2.0 * std::atan(1.0) + std::atan(-yd / std::sqrt(1.0 - yd * yd))) *
                              7.63942);
}

TransportTable newTransportTable(float latitudeDeg, int ruralCount, int urbanCount,
                                 const std::array<std::string, 13>& monthNames) {
    TransportTable t;
    t.ruralCount = std::to_string(ruralCount);
    t.urbanCount = std::to_string(urbanCount);
    t.basin.fill("0");
    t.basin[0] = displayReal(0.03f);
    t.antecedent.fill("0");
    for (int m = 1; m <= 12; ++m) {
        const bool growing = m <= 7;  // April..October
        t.months[m - 1] = {monthNames[m], displayReal(growing ? 0.95f : 0.45f),
                           oneDecimal(dayLengthHours(latitudeDeg, m)), growing ? "1" : "0",
                           displayReal(m <= 6 ? 0.3f : 0.12f)};
    }
    const int count = ruralCount + urbanCount;
    for (int k = 1; k <= count; ++k) {
        t.landUses.push_back({"Land Use " + std::to_string(k), "1", "70", displayReal(0.001f)});
    }
    return t;
}

float sedimentDeliveryRatio(double squareMiles) {
    return static_cast<float>(0.417762 * std::pow(squareMiles, -0.134958) - 0.127097);
}

std::optional<float> sdrFromAreas(const std::vector<std::string>& areaTexts) {
    float total = 0;
    for (const std::string& text : areaTexts) {
        float area = 0;
        if (!parseReal(text, area))
            return std::nullopt;
        total += area;
    }
    if (!(total > 0) || !std::isfinite(total))
        return std::nullopt;
    return sedimentDeliveryRatio(static_cast<double>(total / kHectaresPerSquareMile));
}

AreaShares areaShares(const std::vector<std::string>& areaTexts) {
    AreaShares shares;
    for (const std::string& text : areaTexts)
        shares.totalArea += static_cast<float>(leadingNumber(text));
    if (shares.totalArea > 0) {
        for (const std::string& text : areaTexts) {
            shares.percent.push_back(100.0f * static_cast<float>(leadingNumber(text)) /
                                     shares.totalArea);
        }
    }
    return shares;
}

std::vector<float> redistributeAreas(float totalArea, const std::vector<std::string>& newPercent) {
    std::vector<float> areas;
    areas.reserve(newPercent.size());
    for (const std::string& text : newPercent)
        areas.push_back(totalArea * static_cast<float>(leadingNumber(text)) / 100.0f);
    return areas;
}

std::optional<TableProblem> checkTransportTable(const TransportTable& t) {
    const auto notNumber = [](int table, int row, int col, const std::string& where,
                              const std::string& text) {
        return TableProblem{table, row, col,
                            where + " is not a number: " + quoted(text) +
                                ". Nothing was saved; please correct it first."};
    };
    const std::string* boxes[14] = {&t.ruralCount, &t.urbanCount};
    for (int i = 0; i < 7; ++i)
        boxes[2 + i] = &t.basin[i];
    for (int i = 0; i < 5; ++i)
        boxes[9 + i] = &t.antecedent[i];
    for (int i = 0; i < 14; ++i) {
        if (!isNumber(*boxes[i]))
            return notNumber(0, i, 0, quoted(kBoxLabels[i]) + " (Initalization page)", *boxes[i]);
    }
    for (int m = 0; m < 12; ++m) {
        for (int c = 1; c < 5; ++c) {
            if (!isNumber(t.months[m][c])) {
                return notNumber(1, m + 1, c,
                                 "The month table, row " + std::to_string(m + 1) + " (" +
                                     t.months[m][0] + "), column " + quoted(kMonthColumns[c]),
                                 t.months[m][c]);
            }
        }
    }
    for (std::size_t k = 0; k < t.landUses.size(); ++k) {
        for (int c = 1; c < 4; ++c) {
            if (!isNumber(t.landUses[k][c])) {
                return notNumber(2, static_cast<int>(k) + 1, c,
                                 "The land-use table, row " + std::to_string(k + 1) + " (" +
                                     t.landUses[k][0] + "), column " + quoted(kLandUseColumns[c]),
                                 t.landUses[k][c]);
            }
        }
    }
    float rural = 0, urban = 0;
    parseReal(t.ruralCount, rural);
    parseReal(t.urbanCount, urban);
    for (int i = 0; i < 2; ++i) {
        const float count = i == 0 ? rural : urban;
        if (count < 0 || std::floor(count) != count) {
            return TableProblem{0, i, 0,
                                quoted(kBoxLabels[i]) +
                                    " must be a whole number of 0 or more, not " +
                                    quoted(*boxes[i]) + ". Nothing was saved."};
        }
    }
    // What the run's reader refuses, in its words.
    float total = 0;
    for (std::size_t k = 0; k < t.landUses.size(); ++k) {
        const auto row = static_cast<int>(k) + 1;
        for (const auto& [col, rule] :
             {std::pair{1, &kAmountRule}, std::pair{2, &kCurveNumberRule}}) {
            float value = 0;
            parseReal(t.landUses[k][static_cast<std::size_t>(col)], value);
            if (!rule->accepts(value)) {
                return TableProblem{
                    2, row, col,
                    outsideRangeText("The land-use table, row " + std::to_string(row) + " (" +
                                         t.landUses[k][0] + "), column " +
                                         quoted(kLandUseColumns[col]),
                                     t.landUses[k][static_cast<std::size_t>(col)], rule->allowed) +
                        ". Nothing was saved; please correct it first."};
            }
            if (col == 1)
                total += value;
        }
    }
    if (!t.landUses.empty() && !(total > 0)) {
        return TableProblem{2, 1, 1,
                            "The areas of the land uses add up to 0 ha; a run needs a watershed "
                            "with an area. Nothing was saved; please correct it first."};
    }
    const auto rows = static_cast<long>(t.landUses.size());
    if (static_cast<long>(rural) + static_cast<long>(urban) != rows) {
        return TableProblem{0, 0, 0,
                            "The land-use counts say " + formatReal(rural) + " rural and " +
                                formatReal(urban) + " urban land uses (" +
                                formatReal(rural + urban) +
                                " in all), but the land-use table has " + std::to_string(rows) +
                                " rows. Nothing was saved; please make them agree."};
    }
    return std::nullopt;
}

}  // namespace rivulon
