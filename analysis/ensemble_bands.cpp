#include "analysis/ensemble_bands.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

std::vector<std::string> csvFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        std::string_view f =
            line.substr(start, comma == std::string_view::npos ? line.npos : comma - start);
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t'))
            f.remove_prefix(1);
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t' || f.back() == '\r'))
            f.remove_suffix(1);
        fields.emplace_back(f);
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

// One table of bands: a heading of the first column's name and five
// percentile columns per output, then one line per month or year, numbered
// from 1. The annual table must name the outputs of the monthly one.
void parseBandTable(const std::string& name, std::string_view text, const char* first, bool monthly,
                    EnsembleBands& out) {
    skipByteOrderMark(text);
    std::vector<std::string> lines = splitLines(text);
    while (!lines.empty() && lines.back().find_first_not_of(" \t\r") == std::string::npos)
        lines.pop_back();
    if (lines.empty())
        throw ReadError(name, 1, "the file is empty");
    const std::vector<std::string> heading = csvFields(lines[0]);
    if (heading[0] != first)
        throw ReadError(name, 1, 1, std::string("\"") + first + "\"", heading[0]);
    const std::size_t columns = heading.size();
    if (columns < 6 || (columns - 1) % kBandPercents.size() != 0)
        throw ReadError(name, 1,
                        "expected five percentile columns per output, found " +
                            std::to_string(columns - 1) + " columns after \"" + first + "\"");
    const std::size_t outputs = (columns - 1) / kBandPercents.size();
    std::vector<std::string> names;
    for (std::size_t o = 0; o < outputs; ++o) {
        const std::string& p5 = heading[1 + o * kBandPercents.size()];
        const std::size_t cut = p5.rfind("_p5");
        const std::string output = cut == std::string::npos ? p5 : p5.substr(0, cut);
        for (std::size_t i = 0; i < kBandPercents.size(); ++i) {
            const std::size_t col = 1 + o * kBandPercents.size() + i;
            const std::string expected = output + "_p" + std::to_string(kBandPercents[i]);
            if (output.empty() || heading[col] != expected)
                throw ReadError(name, 1, static_cast<int>(col + 1), "\"" + expected + "\"",
                                heading[col]);
        }
        names.push_back(output);
    }
    if (monthly) {
        out.outputs.clear();
        for (const std::string& n : names)
            out.outputs.push_back(OutputBands{n, {}, {}});
    } else if (names.size() != out.outputs.size() ||
               !std::equal(
                   names.begin(), names.end(), out.outputs.begin(),
                   [](const std::string& n, const OutputBands& o) { return n == o.name; })) {
        throw ReadError(name, 1, "its outputs are not those of the monthly bands");
    }
    for (std::size_t l = 1; l < lines.size(); ++l) {
        const int lineNo = static_cast<int>(l + 1);
        const std::vector<std::string> fields = csvFields(lines[l]);
        if (fields.size() != columns)
            throw ReadError(name, lineNo,
                            "expected " + std::to_string(columns) + " fields, found " +
                                std::to_string(fields.size()));
        double number = 0;
        if (!parseDouble(fields[0], number) || number != static_cast<double>(l))
            throw ReadError(name, lineNo, 1, std::string(first) + " " + std::to_string(l),
                            fields[0]);
        for (std::size_t o = 0; o < outputs; ++o) {
            Band band{};
            for (std::size_t i = 0; i < kBandPercents.size(); ++i) {
                const std::size_t col = 1 + o * kBandPercents.size() + i;
                if (!parseReal(fields[col], band[i]))
                    throw ReadError(name, lineNo, static_cast<int>(col + 1), "a number",
                                    fields[col]);
                if (i > 0 && band[i] < band[i - 1])
                    throw ReadError(name, lineNo, static_cast<int>(col + 1),
                                    "a value no lower than the " +
                                        std::to_string(kBandPercents[i - 1]) + " % value " +
                                        fields[col - 1],
                                    fields[col]);
            }
            (monthly ? out.outputs[o].monthly : out.outputs[o].annual).push_back(band);
        }
    }
}

}  // namespace

EnsembleBands parseEnsembleBands(const std::string& name, std::string_view monthlyText,
                                 const std::string& annualName, std::string_view annualText) {
    EnsembleBands bands;
    parseBandTable(name, monthlyText, "month", true, bands);
    if (!annualText.empty())
        parseBandTable(annualName, annualText, "year", false, bands);
    const std::size_t months = bands.outputs.empty() ? 0 : bands.outputs[0].monthly.size();
    const std::size_t years = bands.outputs.empty() ? 0 : bands.outputs[0].annual.size();
    bands.years = static_cast<int>(years > 0 ? years : months / 12);
    // The outputs a level adds: sediment from 2, nutrients from 3.
    bands.level = bands.find("sediment_t") == nullptr ? 1
                  : bands.find("tot_p_kg") == nullptr ? 2
                                                      : 3;
    bands.description = "the bands of " + name;
    return bands;
}

EnsembleBands readEnsembleBandsFile(const std::string& bandsPath) {
    const std::string annualPath = joinPath(dirOfPath(bandsPath), "annual_bands.csv");
    const std::string annual = fileExists(annualPath) ? readWholeFile(annualPath) : std::string();
    EnsembleBands bands = parseEnsembleBands(fileNameOf(bandsPath), readWholeFile(bandsPath),
                                             "annual_bands.csv", annual);
    bands.description = "the bands of " + bandsPath;
    return bands;
}

Band bandPercentiles(std::vector<float> values) {
    Band p{};
    if (values.empty())
        return p;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < kBandPercents.size(); ++i) {
        const double h = static_cast<double>(n - 1) * kBandPercents[i] / 100.0;
        const std::size_t lo = static_cast<std::size_t>(h);
        const std::size_t hi = std::min(lo + 1, n - 1);
        const double frac = h - static_cast<double>(lo);
        const double v = frac == 0 ? values[lo] : values[lo] + frac * (values[hi] - values[lo]);
        p[i] = static_cast<float>(v);
    }
    return p;
}

const OutputBands* EnsembleBands::find(const std::string& name) const {
    for (const OutputBands& o : outputs) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

std::vector<Band> chartBands(const EnsembleBands& bands, bool monthly, int selection,
                             bool organicCarbon, std::size_t points) {
    struct Pick {
        const char* name;
        const char* carbonName;
        float divisor;  // engine unit per chart unit
    };
    static constexpr Pick kPicks[4] = {{"streamflow_cm", "streamflow_cm", 1.0f},
                                       {"tot_p_kg", "tot_p_kg", 1000.0f},
                                       {"tot_n_kg", "tot_oc_kg", 1000.0f},
                                       {"sediment_t", "sediment_t", 1000.0f}};
    if (selection < 0 || selection > 3)
        return {};
    const Pick& pick = kPicks[selection];
    const OutputBands* o = bands.find(organicCarbon ? pick.carbonName : pick.name);
    if (!o)
        return {};
    const std::vector<Band>& source = monthly ? o->monthly : o->annual;
    std::vector<Band> out(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(
                                                               std::min(points, source.size())));
    for (Band& b : out) {
        for (float& v : b)
            v /= pick.divisor;
    }
    return out;
}

}  // namespace rivulon
