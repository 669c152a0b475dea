#include "analysis/result_tables.h"

#include "analysis/value_format.h"

namespace rivulon {

namespace {

constexpr float kThousand = 1000.0f;  // t shown as 1000 t, kg shown as t

std::string f2(float v) {
    return formatPattern(v, "0.00");
}
std::string f4(float v) {
    return formatPattern(v, "0.0000");
}
std::string f1(float v) {
    return formatPattern(v, "0.0");
}

std::vector<std::string> monthNames(const ResultSet& rs) {
    return std::vector<std::string>(rs.monthName.begin() + 1, rs.monthName.end());
}

std::vector<std::string> landUseNames(const ResultSet& rs) {
    return std::vector<std::string>(rs.landUseName.begin() + 1, rs.landUseName.end());
}

ChartData chart(std::string title, ChartKind kind, std::vector<float> values,
                std::vector<std::string> labels, std::string series) {
    ChartData c;
    c.title = std::move(title);
    c.kind = kind;
    c.values = std::move(values);
    c.pointLabels = labels;
    c.gridHeadings = std::move(labels);
    c.seriesLabel = std::move(series);
    return c;
}

// The heading row of the per-land-use block of the summary and monthly tables.
void setSourceHeadings(TextGrid& g, int row, const std::string& first, const std::string& word) {
    const std::string head[] = {first,
                                "Area (ha)",
                                "Runoff (cm)",
                                "Erosion (t/h)",
                                "Dis. " + word + " (t)",
                                "Tot. " + word + " (t)",
                                "Dis. P (t)",
                                "Tot. P (t)"};
    for (int c = 0; c < 8; ++c)
        g.set(row, c, head[c]);
}

std::vector<float> monthValues(const ResultMonths& m, float divisor) {
    std::vector<float> v;
    for (int i = 1; i <= 12; ++i)
        v.push_back(m[i] / divisor);
    return v;
}

// A year-by-month or year-by-land-use table in display units, with row 0
// holding the mean over the averaged years.
template <class Table>
Table displayTable(const Table& t, const AveragedYears& a, bool load) {
    Table out = t;
    if (load) {
        for (std::size_t y = 1; y < out.size(); ++y)
            for (float& v : out[y])
                v /= kThousand;
    }
    for (float& v : out[0])
        v = 0.0f;
    for (std::size_t c = 0; c < out[0].size(); ++c) {
        for (int y = a.first; y <= a.last; ++y)
            out[0][c] += out[y][c];
        out[0][c] /= static_cast<float>(a.count);
    }
    return out;
}

std::vector<float> displayPerYear(const std::vector<float>& t, const AveragedYears& a) {
    std::vector<float> out = t;
    for (std::size_t y = 1; y < out.size(); ++y)
        out[y] /= kThousand;
    out[0] = 0.0f;
    for (int y = a.first; y <= a.last; ++y)
        out[0] += out[y];
    out[0] /= static_cast<float>(a.count);
    return out;
}

}  // namespace

std::string nutrientWord(bool organicCarbon) {
    return organicCarbon ? "OC" : "N";
}

SummaryTable buildSummaryTable(const ResultSet& rs, bool organicCarbon) {
    const std::string word = nutrientWord(organicCarbon);
    const ResultHeader& h = rs.header;
    const int lu = h.landUseCount;
    SummaryTable out;
    TextGrid& g = out.grid;
    g = TextGrid(lu + 40, 10);

    g.set(0, 0, h.watershedName);
    g.set(0, 1, std::to_string(h.yearCount));
    g.set(0, 2, "year means");
    g.set(0, 4, "Tot area (h)=");
    g.set(0, 5, f2(rs.totalArea));

    const char* waterHead[] = {"Precip (cm)", "ET  (cm)", "Groundwater (cm)", "Runoff (cm)",
                               "Stream (cm)"};
    for (int c = 1; c <= 5; ++c)
        g.set(1, c, waterHead[c - 1]);
    const ResultMonths* water[] = {&rs.meanPrecip, &rs.meanEvapo, &rs.meanGroundwater,
                                   &rs.meanRunoff, &rs.meanFlow};
    for (int m = 1; m <= 13; ++m) {
        const int i = m % 13;  // row 14 holds the annual means
        g.set(m + 1, 0, i == 0 ? "ANNUAL" : rs.monthName[i]);
        for (int c = 1; c <= 5; ++c)
            g.set(m + 1, c, f2((*water[c - 1])[i]));
    }

    int s = 17;
    if (h.simLevel >= 2) {
        const std::string loadHead[] = {"Erosion",      "Sediment", "Dis. " + word,
                                        "Tot. " + word, "Dis. P",   "Tot. P"};
        for (int c = 1; c <= 6; ++c)
            g.set(16, c, loadHead[c - 1]);
        for (int c = 1; c <= 6; ++c)
            g.set(17, c, c <= 2 ? "-(1000 t)-" : "-(t)-");
        const ResultMonths* loads[] = {&rs.meanErosion, &rs.meanSediment, &rs.meanDisN,
                                       &rs.meanTotN,    &rs.meanDisP,     &rs.meanTotP};
        for (int m = 1; m <= 13; ++m) {
            const int i = m % 13;
            g.set(m + 17, 0, i == 0 ? "ANNUAL" : rs.monthName[i]);
            for (int c = 1; c <= 6; ++c) {
                const float v = (*loads[c - 1])[i] / kThousand;
                g.set(m + 17, c, c <= 2 ? f2(v) : f4(v));
            }
        }
        s = 32;
    }

    setSourceHeadings(g, s, "Source", word);
    for (int k = 1; k <= lu; ++k) {
        const int r = s + k;
        g.set(r, 0, rs.landUseName[k]);
        g.set(r, 1, f2(rs.area[k]));
        g.set(r, 2, f2(rs.meanLuRunoff[k]));
        // Already t/ha in the file, shown as its heading says.
        g.set(r, 3, f2(rs.meanLuErosionPerHa[k]));
        g.set(r, 4, f2(rs.meanLuDisN[k] / kThousand));
        g.set(r, 5, f2(rs.meanLuTotN[k] / kThousand));
        g.set(r, 6, f2(rs.meanLuDisP[k] / kThousand));
        g.set(r, 7, f2(rs.meanLuTotP[k] / kThousand));
    }
    int r = s + lu + 1;
    const float gwN = rs.meanGwLoadN / kThousand, gwP = rs.meanGwLoadP / kThousand;
    const float ptN = rs.pointYearN / kThousand, ptP = rs.pointYearP / kThousand;
    const float sepN = rs.meanSepticN / kThousand, sepP = rs.meanSepticP / kThousand;
    g.set(r, 0, "GROUNDWATER");
    g.set(r, 4, f2(gwN));
    g.set(r, 5, f2(gwN));
    g.set(r, 6, f2(gwP));
    g.set(r, 7, f2(gwP));
    ++r;
    g.set(r, 0, "POINT SOURCE");
    // "0.00" as every other row of these columns.
    g.set(r, 4, f2(ptN));
    g.set(r, 5, f2(ptN));
    g.set(r, 6, f2(ptP));
    g.set(r, 7, f2(ptP));
    if (h.simLevel > 3) {
        ++r;
        g.set(r, 0, "SEPTIC SYSTEMS");
        g.set(r, 4, f2(sepN));
        g.set(r, 5, f2(sepN));
        g.set(r, 6, f2(sepP));
        g.set(r, 7, f2(sepP));
    }
    ++r;
    g.set(r, 0, "TOTAL");
    g.set(r, 1, f2(rs.totalArea));
    g.set(r, 4, f2(rs.meanDisN[0] / kThousand));
    g.set(r, 5, f2(rs.meanTotN[0] / kThousand));
    g.set(r, 6, f2(rs.meanDisP[0] / kThousand));
    g.set(r, 7, f2(rs.meanTotP[0] / kThousand));

    // Charts, by cycle selection.
    const auto bar = ChartKind::Bar2d;
    const std::vector<std::string> months = monthNames(rs);
    std::vector<std::string> sources = landUseNames(rs);
    sources.push_back("GROUNDWATER ");
    sources.push_back("POINT SOURCE");
    if (h.simLevel > 3)
        sources.push_back("SEPTIC SYS");
    auto sourceValues = [&](const std::vector<float>& perLandUse, float gw, float pt, float sep) {
        std::vector<float> v;
        for (int k = 1; k <= lu; ++k)
            v.push_back(perLandUse[k] / kThousand);
        v.push_back(gw);
        v.push_back(pt);
        if (h.simLevel > 3)
            v.push_back(sep);
        return v;
    };
    auto perLandUse = [&](const std::vector<float>& values) {
        return std::vector<float>(values.begin() + 1, values.end());
    };
    auto& c = out.charts;
    c[17] = chart("Areas of Sources (ha)", bar, perLandUse(rs.area), landUseNames(rs), "Area (ha)");
    c[16] = chart("Mean Annual P Loads from Sources (t)", bar,
                  sourceValues(rs.meanLuTotP, gwP, ptP, sepP), sources, "TP Load");
    c[15] = chart("Mean Annual Dissolved P Loads from Sources (t)", bar,
                  sourceValues(rs.meanLuDisP, gwP, ptP, sepP), sources, "DP Load");
    c[14] = chart("Mean Annual " + word + " Loads from Sources (t)", bar,
                  sourceValues(rs.meanLuTotN, gwN, ptN, sepN), sources, "T" + word + " Load");
    c[13] = chart("Mean Annual Dissolved " + word + " Loads from Sources (t)", bar,
                  sourceValues(rs.meanLuDisN, gwN, ptN, sepN), sources, "D" + word + " Load");
    c[12] = chart("Mean Annual Erosion from Sources (t/ha)", bar, perLandUse(rs.meanLuErosionPerHa),
                  landUseNames(rs), "Erosion");
    c[11] = chart("Mean Annual Runoff from Sources (cm)", bar, perLandUse(rs.meanLuRunoff),
                  landUseNames(rs), "Runoff");
    c[10] =
        chart("Mean Monthly P Loading (t)", bar, monthValues(rs.meanTotP, kThousand), months, "TP");
    c[9] = chart("Mean Monthly DP Loading (t)", bar, monthValues(rs.meanDisP, kThousand), months,
                 "DP Load (t)");
    c[8] = chart("Mean Monthly T" + word + " Loading (t)", bar, monthValues(rs.meanTotN, kThousand),
                 months, "T" + word + " Load");
    c[7] = chart("Mean Monthly D" + word + " Loading (t)", bar, monthValues(rs.meanDisN, kThousand),
                 months, "D" + word + " Load");
    c[6] = chart("Mean Monthly Sediment (1000 t)", bar, monthValues(rs.meanSediment, kThousand),
                 months, "Sediment");
    c[5] = chart("Mean Monthly Erosion (1000 t)", bar, monthValues(rs.meanErosion, kThousand),
                 months, "Erosion");
    c[4] = chart("Mean Monthly Stream Flow (cm)", bar, monthValues(rs.meanFlow, 1.0f), months,
                 "Streamflow");
    c[3] =
        chart("Mean Monthly Runoff (cm)", bar, monthValues(rs.meanRunoff, 1.0f), months, "Runoff");
    c[2] = chart("Mean Monthly Groundwater (cm)", bar, monthValues(rs.meanGroundwater, 1.0f),
                 months, "Groundwater");
    c[1] = chart("Mean Monthly Evaportranspiration (cm)", bar, monthValues(rs.meanEvapo, 1.0f),
                 months, "ET");
    c[0] = chart("Mean Monthly Precpitation (cm)", bar, monthValues(rs.meanPrecip, 1.0f), months,
                 "Precp.");
    return out;
}

namespace {

// The four line charts of the annual and monthly tables, over `points`
// (one value per year or per simulated month).
std::array<ChartData, 4> lineCharts(const std::string& prefix, const std::string& word,
                                    const std::string& sedimentSeries,
                                    const std::vector<float>& flow,
                                    const std::vector<float>& sediment,
                                    const std::vector<float>& totN, const std::vector<float>& totP,
                                    const std::string& headingPrefix) {
    std::vector<std::string> points, headings;
    for (std::size_t i = 1; i <= flow.size(); ++i) {
        points.push_back(std::to_string(i));
        headings.push_back(headingPrefix + std::to_string(i));
    }
    auto make = [&](std::string title, const std::vector<float>& v, std::string series) {
        ChartData c = chart(std::move(title), ChartKind::Line2d, v, headings, std::move(series));
        c.pointLabels = points;
        return c;
    };
    return {make(prefix + " Streamflow (cm)", flow, "Streamflow (cm)"),
            make(prefix + " P Loading (t)", totP, "P Load (t)"),
            make(prefix + " " + word + " Loading (t)", totN, word + " Load (t)"),
            make(prefix + " Sediment (1000 t)", sediment, sedimentSeries)};
}

}  // namespace

AnnualTable buildAnnualTable(const ResultSet& rs, bool organicCarbon) {
    const std::string word = nutrientWord(organicCarbon);
    const ResultHeader& h = rs.header;
    const int years = h.yearCount;
    AnnualTable out;
    TextGrid& g = out.grid;
    g = TextGrid(2 * years + 6, 10);
    g.set(0, 0, h.watershedName);
    g.set(0, 1, "Annual");
    g.set(0, 2, "Means");
    g.set(0, 4, "Tot area (h)=");
    g.set(0, 5, f2(rs.totalArea));
    const char* waterHead[] = {"Year",        "Precip. (cm)", "ET. (cm)", "Groundwater (cm)",
                               "Runoff (cm)", "Stream (cm)"};
    for (int c = 0; c < 6; ++c)
        g.set(2, c, waterHead[c]);
    std::vector<float> flow, sediment, totN, totP;
    for (int y = 1; y <= years; ++y) {
        const int r = y + 2;
        g.set(r, 0, std::to_string(y));
        g.set(r, 1, f2(rs.precip[y][0]));
        g.set(r, 2, f2(rs.evapo[y][0]));
        g.set(r, 3, f2(rs.groundwater[y][0]));
        g.set(r, 4, f2(rs.runoffDepth[y][0]));
        g.set(r, 5, f2(rs.flow[y][0]));
        flow.push_back(rs.flow[y][0]);
        sediment.push_back(rs.sediment[y][0] / kThousand);
        totN.push_back(rs.totN[y][0] / kThousand);
        totP.push_back(rs.totP[y][0] / kThousand);
    }
    if (h.simLevel >= 2) {
        const int head = years + 4;
        const std::string loadHead[] = {"Year",
                                        "Erosion (kt)",
                                        "Sediment (kt)",
                                        "Dis. " + word + " (t)",
                                        "Tot. " + word + " (t)",
                                        "Dis.  P (t)",
                                        "Tot.  P (t)"};
        for (int c = 0; c < 7; ++c)
            g.set(head, c, loadHead[c]);
        for (int y = 1; y <= years; ++y) {
            const int r = head + y;
            g.set(r, 0, std::to_string(y));
            g.set(r, 1, f2(rs.erosion[y][0] / kThousand));
            g.set(r, 2, f2(rs.sediment[y][0] / kThousand));
            g.set(r, 3, f2(rs.disN[y][0] / kThousand));
            g.set(r, 4, f2(rs.totN[y][0] / kThousand));
            g.set(r, 5, f2(rs.disP[y][0] / kThousand));
            g.set(r, 6, f2(rs.totP[y][0] / kThousand));
        }
    }
    out.charts =
        lineCharts("Annual", word, "Sediment (1000 t)", flow, sediment, totN, totP, "Year");
    return out;
}

MonthlyTable buildMonthlyTable(const ResultSet& rs, int mode, bool organicCarbon) {
    const std::string word = nutrientWord(organicCarbon);
    const ResultHeader& h = rs.header;
    const int years = h.yearCount;
    const int lu = h.landUseCount;
    const AveragedYears a = averagedYears(years);

    const ResultYearMonth precip = displayTable(rs.precip, a, false);
    const ResultYearMonth evapo = displayTable(rs.evapo, a, false);
    const ResultYearMonth gw = displayTable(rs.groundwater, a, false);
    const ResultYearMonth runoff = displayTable(rs.runoffDepth, a, false);
    const ResultYearMonth flow = displayTable(rs.flow, a, false);
    const ResultYearMonth erosion = displayTable(rs.erosion, a, true);
    const ResultYearMonth sediment = displayTable(rs.sediment, a, true);
    const ResultYearMonth gwN = displayTable(rs.gwLoadN, a, true);
    const ResultYearMonth gwP = displayTable(rs.gwLoadP, a, true);
    const ResultYearMonth disN = displayTable(rs.disN, a, true);
    const ResultYearMonth totN = displayTable(rs.totN, a, true);
    const ResultYearMonth disP = displayTable(rs.disP, a, true);
    const ResultYearMonth totP = displayTable(rs.totP, a, true);
    const ResultYearMonth pointN = displayTable(rs.pointN, a, true);
    const ResultYearMonth pointP = displayTable(rs.pointP, a, true);
    const ResultYearLandUse luRunoff = displayTable(rs.luRunoff, a, false);
    // Erosion per hectare stays in t/ha, as its heading says.
    const ResultYearLandUse luErosion = displayTable(rs.luErosion, a, false);
    const ResultYearLandUse luDisN = displayTable(rs.luDisN, a, true);
    const ResultYearLandUse luTotN = displayTable(rs.luTotN, a, true);
    const ResultYearLandUse luDisP = displayTable(rs.luDisP, a, true);
    const ResultYearLandUse luTotP = displayTable(rs.luTotP, a, true);
    const std::vector<float> septicN = displayPerYear(rs.septicN, a);
    const std::vector<float> septicP = displayPerYear(rs.septicP, a);

    const int blocks = mode >= 1 ? years + 1 : 1;
    const int hRows = h.simLevel > 1 ? lu + 38 : lu + 24;
    MonthlyTable out;
    out.years = a;
    out.rowsPerBlock = hRows;
    TextGrid& g = out.grid;
    g = TextGrid(hRows * blocks, 10);
    g.set(0, 6, "Rows/Yr=");
    g.set(0, 7, std::to_string(g.rows() / blocks));

    const char* waterHead[] = {"Precip (cm)", "ET  (cm)", "Groundwater (cm)", "Runoff (cm)",
                               "Stream (cm)"};
    const ResultYearMonth* water[] = {&precip, &evapo, &gw, &runoff, &flow};
    const ResultYearMonth* loads[] = {&erosion, &sediment, &disN, &totN, &disP, &totP};
    for (int b = 0; b < blocks; ++b) {
        const int r0 = hRows * b;
        g.set(r0, 0, h.watershedName);
        g.set(r0 + 1, 1, "YEAR ");
        g.set(r0 + 1, 2,
              b == 0 ? std::to_string(a.first) + "-" + std::to_string(a.last) + " Mean"
                     : std::to_string(b));
        for (int c = 1; c <= 5; ++c)
            g.set(r0 + 2, c, waterHead[c - 1]);
        for (int m = 1; m <= 13; ++m) {
            const int i = m % 13;
            g.set(r0 + 2 + m, 0, i == 0 ? "YEAR" : rs.monthName[i]);
            for (int c = 1; c <= 5; ++c)
                g.set(r0 + 2 + m, c, f2((*water[c - 1])[b][i]));
        }
        int s = r0 + 17;
        if (h.simLevel > 1) {
            const int l = r0 + 17;
            const std::string loadHead[] = {
                "Erosion (kt)",          "Sediment (kt)", "Dis. " + word + " (t)",
                "Tot. " + word + " (t)", "Dis. P (t)",    "Tot. P (t)"};
            for (int c = 1; c <= 6; ++c)
                g.set(l, c, loadHead[c - 1]);
            for (int m = 1; m <= 13; ++m) {
                const int i = m % 13;
                g.set(l + m, 0, i == 0 ? "YEAR" : rs.monthName[i]);
                for (int c = 1; c <= 6; ++c)
                    g.set(l + m, c, f4((*loads[c - 1])[b][i]));
            }
            s = l + 15;
        }
        setSourceHeadings(g, s, "SOURCE", word);
        for (int k = 1; k <= lu; ++k) {
            const float area = rs.area[k];
            g.set(s + k, 0, rs.landUseName[k]);
            g.set(s + k, 1, f1(area));
            g.set(s + k, 2, f2(luRunoff[b][k]));
            g.set(s + k, 3, f4(area > 0 ? luErosion[b][k] / area : 0.0f));
            g.set(s + k, 4, f4(luDisN[b][k]));
            g.set(s + k, 5, f4(luTotN[b][k]));
            g.set(s + k, 6, f4(luDisP[b][k]));
            g.set(s + k, 7, f4(luTotP[b][k]));
        }
        float yearPointN = 0.0f, yearPointP = 0.0f;
        for (int m = 1; m <= 12; ++m) {
            yearPointN += pointN[b][m];
            yearPointP += pointP[b][m];
        }
        auto pair = [&](int row, const char* label, float n, float p) {
            g.set(row, 0, label);
            g.set(row, 4, f4(n));
            g.set(row, 5, f4(n));
            g.set(row, 6, f4(p));
            g.set(row, 7, f4(p));
        };
        pair(s + lu + 1, "Groundwater", gwN[b][0], gwP[b][0]);
        pair(s + lu + 2, "Point Source", yearPointN, yearPointP);
        if (h.simLevel > 3)
            pair(s + lu + 3, "Septic Systems", septicN[b], septicP[b]);
        const int t = s + lu + 4;
        g.set(t, 0, "TOTAL");
        g.set(t, 1, f2(rs.totalArea));
        g.set(t, 4, f4(disN[b][0]));
        g.set(t, 5, f4(totN[b][0]));
        g.set(t, 6, f4(disP[b][0]));
        g.set(t, 7, f4(totP[b][0]));
    }

    std::vector<float> f, sed, n, p;
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            f.push_back(flow[y][m]);
            sed.push_back(sediment[y][m]);
            n.push_back(totN[y][m]);
            p.push_back(totP[y][m]);
        }
    }
    out.charts = lineCharts("Monthly", word, "Sediment (Kt)", f, sed, n, p, "M");
    return out;
}

}  // namespace rivulon
