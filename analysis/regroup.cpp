#include "analysis/regroup.h"

#include <stdexcept>

#include "analysis/value_format.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "common/text_encoding.h"

namespace rivulon {

namespace {

constexpr float kThousand = 1000.0f;
constexpr double kScientificAbove = 1e9;  // m3 beyond which runoff is shown in E form

std::string volumeText(double v) {
    return formatPattern(v, v > kScientificAbove ? "0.000E+00" : "0");
}

std::string loadText(float v) {
    return formatPattern(v / kThousand, ".0000");
}

}  // namespace

const std::array<std::string, kRegroupGroups>& regroupDesignLabels() {
    static const std::array<std::string, kRegroupGroups> labels = {
        "Forest:", "Agriculture:", "Wetland:", "Water:", "Urban:", "Other1:", "Other2:", "Other3:"};
    return labels;
}

std::string landUseItem(int landUse, std::string_view name) {
    return std::to_string(landUse) + "-" + std::string(name);
}

int landUseOfItem(std::string_view item) {
    return static_cast<int>(leadingNumber(item));
}

std::array<std::string, kRegroupCols> regroupHeadings(bool organicCarbon) {
    return {"Land Use Group ",
            "Runoff (m\u00b3)",
            "Erosion (k-ton)",
            organicCarbon ? "DOC (ton)" : "Dis. N (ton)",
            organicCarbon ? "Total OC (ton)" : "Total N (ton)",
            "Dis. P (ton)",
            "Total P (ton)"};
}

void setRegroupHeadings(TextGrid& table, bool organicCarbon) {
    const auto headings = regroupHeadings(organicCarbon);
    for (int c = 0; c < kRegroupCols; ++c)
        table.set(0, c, headings[c]);
}

TextGrid buildRegroupTable(const ResultSet& rs,
                           const std::array<LandUseGroup, kRegroupGroups>& groups,
                           bool organicCarbon) {
    const int lu = rs.header.landUseCount;
    for (const auto& g : groups) {
        for (int k : g.landUses) {
            if (k < 1 || k > lu)
                throw std::out_of_range("Land use " + std::to_string(k) + " of group \"" + g.label +
                                        "\" is not in the results file (it has " +
                                        std::to_string(lu) + " land uses)");
        }
    }
    const AveragedYears a = averagedYears(rs.header.yearCount);

    // Sums over the averaged years, in the file's units.
    std::vector<float> runoffVolume(lu + 1, 0.0f);  // cm * ha
    std::vector<float> erosion(lu + 1, 0.0f), disN(lu + 1, 0.0f), totN(lu + 1, 0.0f),
        disP(lu + 1, 0.0f), totP(lu + 1, 0.0f);
    ResultMonths gwN{}, gwP{}, pointN{}, pointP{};
    float septicN = 0.0f, septicP = 0.0f;
    for (int y = a.first; y <= a.last; ++y) {
        for (int k = 1; k <= lu; ++k) {
            runoffVolume[k] += rs.luRunoff[y][k] * rs.area[k];
            erosion[k] += rs.luErosion[y][k];
            disN[k] += rs.luDisN[y][k];
            totN[k] += rs.luTotN[y][k];
            disP[k] += rs.luDisP[y][k];
            totP[k] += rs.luTotP[y][k];
        }
        for (int m = 1; m <= 12; ++m) {
            gwN[m] += rs.gwLoadN[y][m];
            gwP[m] += rs.gwLoadP[y][m];
            pointN[m] += rs.pointN[y][m];
            pointP[m] += rs.pointP[y][m];
        }
        septicN += rs.septicN[y];
        septicP += rs.septicP[y];
    }
    const float count = static_cast<float>(a.count);
    float gwYearN = 0.0f, gwYearP = 0.0f, pointYearN = 0.0f, pointYearP = 0.0f;
    for (int m = 1; m <= 12; ++m) {
        gwYearN += gwN[m] / count;
        gwYearP += gwP[m] / count;
        pointYearN += pointN[m] / count;
        pointYearP += pointP[m] / count;
    }
    septicN /= count;
    septicP /= count;

    TextGrid t(kRegroupRows, kRegroupCols);
    setRegroupHeadings(t, organicCarbon);
    for (int g = 0; g < kRegroupGroups; ++g) {
        float runoff = 0.0f, ero = 0.0f, dn = 0.0f, tn = 0.0f, dp = 0.0f, tp = 0.0f;
        for (int k : groups[g].landUses) {
            runoff += runoffVolume[k] * 100.0f / count;  // cm * ha * 100 = m3
            ero += erosion[k] / count;
            dn += disN[k] / count;
            tn += totN[k] / count;
            dp += disP[k] / count;
            tp += totP[k] / count;
        }
        const int r = g + 1;
        t.set(r, 0, groups[g].label);
        t.set(r, 1, volumeText(runoff));
        t.set(r, 2, loadText(ero));
        t.set(r, 3, loadText(dn));
        t.set(r, 4, loadText(tn));
        t.set(r, 5, loadText(dp));
        t.set(r, 6, loadText(tp));
    }
    auto source = [&](int r, const char* label, float n, float p) {
        t.set(r, 0, label);
        t.set(r, 1, "0");
        t.set(r, 2, "0");
        t.set(r, 3, loadText(n));
        t.set(r, 4, loadText(n));
        t.set(r, 5, loadText(p));
        t.set(r, 6, loadText(p));
    };
    source(9, "GW(Foreground):", gwYearN, gwYearP);
    t.set(10, 0, "GW(Background):");
    for (int c = 1; c < kRegroupCols; ++c)
        t.set(10, c, "0");
    source(11, "Point Source:", pointYearN, pointYearP);
    source(12, "Septic System:", septicN, septicP);
    t.set(13, 0, "Total:");
    for (int c = 1; c < kRegroupCols; ++c)
        regroupTotal(t, c);
    return t;
}

void regroupTotal(TextGrid& t, int column) {
    double sum = 0;
    for (int r = 1; r <= t.rows() - 2; ++r)
        sum += leadingNumber(t.at(r, column));
    std::string text;
    if (column == 1)
        text = volumeText(sum);
    else
        text = formatPattern(sum, sum < 1000 ? ".0000" : ".00");
    t.set(t.rows() - 1, column, std::move(text));
}

void applyBackground(TextGrid& t, std::array<std::string, 4>& inputs) {
    for (int c = 3; c <= 6; ++c) {
        std::string& in = inputs[c - 3];
        const double background = leadingNumber(in);
        // An empty box still moves 0, and the row keeps a cell that loads back.
        // Numbers take the column's ".0000" like the rows above them; other
        // text stays as typed and counts as 0.
        double typed = 0;
        t.set(10, c,
              in.empty()               ? std::string("0")
              : parseDouble(in, typed) ? formatPattern(typed, ".0000")
                                       : in);
        t.set(9, c,
              formatPattern(static_cast<float>(leadingNumber(t.at(9, c)) - background), ".0000"));
        in = std::string(1, '0');
    }
    for (int c = 1; c < t.cols(); ++c)
        regroupTotal(t, c);
}

std::array<std::string, 4> defaultBackground(float gwBkDN, float gwBkDP) {
    return {plainNumber(gwBkDN), plainNumber(gwBkDN), plainNumber(gwBkDP), plainNumber(gwBkDP)};
}

TextGrid parseRegroupedTable(const std::string& name, std::string_view content) {
    const std::vector<std::string> lines = splitLines(utf8FromMixedLines(std::string(content)));
    TextGrid table(kRegroupRows, kRegroupCols);
    int row = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (lines[i].find_first_not_of(" \t\x1a") == std::string::npos)
            continue;
        if (row == kRegroupRows)
            throw ReadError(name, lineNo,
                            "more lines than the " + std::to_string(kRegroupRows) +
                                " rows of a regrouped table");
        ListReader in(name, lines[i]);
        std::vector<ListField> fields;
        while (!in.atEnd())
            fields.push_back(in.next());
        // The writer ends every line with a comma, which leaves one empty
        // field; a quoted empty text is a cell of its own.
        if (!fields.empty() && fields.back().text.empty() && !fields.back().quoted)
            fields.pop_back();
        if (static_cast<int>(fields.size()) != kRegroupCols)
            throw ReadError(name, lineNo,
                            "row " + std::to_string(row) + " of the table: expected " +
                                std::to_string(kRegroupCols) + " cells, found " +
                                std::to_string(fields.size()));
        for (int c = 0; c < kRegroupCols; ++c)
            table.set(row, c, std::string(fields[c].text));
        ++row;
    }
    if (row < kRegroupRows)
        throw ReadError(name, static_cast<int>(lines.size()),
                        "the file ends after " + std::to_string(row) + " of the " +
                            std::to_string(kRegroupRows) + " rows of a regrouped table");
    return table;
}

TextGrid readRegroupedTable(const std::string& path) {
    return parseRegroupedTable(path, readWholeFile(path));
}

std::string regroupTitle(float totalArea) {
    return "Mean Annual Output from Different Sources (GW=Groundwater, Area=" +
           plainNumber(totalArea) + " ha)";
}

PieChart pieChart(const TextGrid& t, int column) {
    PieChart pie;
    std::vector<std::string> labels;
    std::vector<double> values;
    for (int r = 0; r <= t.rows() - 2; ++r) {
        labels.push_back(t.at(r, 0));
        values.push_back(leadingNumber(t.at(r, column)));
    }
    labels[0] = t.at(0, column);
    double total = 0;
    for (std::size_t i = 1; i < values.size(); ++i)
        total += values[i];
    if (total == 0) {
        pie.message = "Values cannot be plotted, click <Next Graph> to continue!";
        return pie;
    }
    pie.plottable = true;
    pie.title = "Sources of " + labels[0];
    double start = 0;
    for (std::size_t i = 1; i < values.size(); ++i) {
        PieSlice s;
        s.label = labels[i];
        s.value = values[i];
        s.startDegrees = start;
        s.sweepDegrees = values[i] / total * 360.0;
        start += s.sweepDegrees;
        s.text = labels[i] + " (" + formatPattern(values[i] * 100.0 / total, "0") + "%)  ";
        pie.slices.push_back(std::move(s));
    }
    return pie;
}

int nextPieColumn(int column) {
    return column >= 6 ? 2 : column + 1;
}

}  // namespace rivulon
