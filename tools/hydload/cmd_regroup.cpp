#include <array>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/grid_copy.h"
#include "analysis/regroup.h"
#include "analysis/result_file.h"
#include "analysis/table_text.h"
#include "analysis/value_format.h"
#include "args.h"
#include "command_registry.h"
#include "common/list_reader.h"

namespace {

std::vector<std::string> splitCommas(const std::string& s) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = s.find(',', start);
        parts.push_back(s.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return parts;
}

// "Label=1,2,5" or "=3" (keeps the row's own label) or "Label=" (no land uses).
rivulon::LandUseGroup parseGroup(const std::string& text, const std::string& designLabel) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos)
        throw hydload::UsageError("--group takes LABEL=N,N,..., not \"" + text + "\"");
    rivulon::LandUseGroup g;
    g.label = eq == 0 ? designLabel : text.substr(0, eq);
    const std::string list = text.substr(eq + 1);
    if (list.empty())
        return g;
    for (const std::string& item : splitCommas(list)) {
        float v = 0;
        if (!rivulon::parseReal(item, v) || v != static_cast<int>(v) || v < 1)
            throw hydload::UsageError("--group \"" + text + "\": \"" + item +
                                      "\" is not a land-use number");
        g.landUses.push_back(static_cast<int>(v));
    }
    return g;
}

int runRegroup(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--oc", "--pie", "--strict"},
                            {"--group", "--out", "--background"});
    cli.expectOperands(1, 1, "results file");
    const std::string& file = cli.operands()[0];
    const std::vector<std::string> groupSpecs = cli.values("--group");
    const std::string out = cli.value("--out").value_or("");
    const bool oc = cli.flag("--oc");
    const bool pies = cli.flag("--pie");
    const bool strict = cli.flag("--strict");
    std::array<std::string, 4> background;
    const bool hasBackground = cli.has("--background");
    if (hasBackground) {
        const auto parts = hydload::listArg("--background", *cli.value("--background"), 4);
        for (int i = 0; i < 4; ++i) {
            hydload::realArg("--background", parts[i]);  // strictly a number, as typed
            background[i] = parts[i];
        }
    }
    if (groupSpecs.size() > rivulon::kRegroupGroups)
        throw hydload::UsageError("at most 8 groups can be given");

    const auto& design = rivulon::regroupDesignLabels();
    std::array<rivulon::LandUseGroup, rivulon::kRegroupGroups> groups;
    std::set<int> used;
    for (int g = 0; g < rivulon::kRegroupGroups; ++g) {
        groups[g].label = design[g];
        if (g >= static_cast<int>(groupSpecs.size()))
            continue;
        groups[g] = parseGroup(groupSpecs[g], design[g]);
        for (int k : groups[g].landUses) {
            if (!used.insert(k).second)
                throw hydload::UsageError("land use " + std::to_string(k) +
                                          " is given in more than one group");
        }
    }

    const rivulon::ResultSet results = rivulon::readResultsFile(file);
    hydload::reportWarnings(results.warnings, strict);
    for (const auto& g : groups) {
        for (int k : g.landUses) {
            if (k > results.header.landUseCount)
                throw std::invalid_argument(
                    "--group: land use " + std::to_string(k) + " is not in " + file +
                    ", which has " + std::to_string(results.header.landUseCount) + " land uses");
        }
    }
    rivulon::TextGrid table = rivulon::buildRegroupTable(results, groups, oc);
    if (hasBackground)
        rivulon::applyBackground(table, background);

    if (!out.empty()) {
        rivulon::saveTableText(out, table);
    } else {
        std::printf("%s\n", rivulon::regroupTitle(results.totalArea).c_str());
        std::fputs(rivulon::alignedText(table).c_str(), stdout);
    }
    if (pies) {
        for (int column = 2; column <= 6; ++column) {
            const rivulon::PieChart pie = rivulon::pieChart(table, column);
            std::printf("\n%s\n", pie.plottable ? pie.title.c_str() : pie.message.c_str());
            for (const auto& s : pie.slices)
                std::printf("  %s %s degrees\n", s.text.c_str(),
                            rivulon::formatPattern(s.sweepDegrees, "0.0").c_str());
        }
    }
    return 0;
}

const hydload::Registrar reg{{
    "regroup",
    "mean annual output of land-use groups from a results file",
    "usage: hydload regroup RESULTS --group \"Forest=1,2\" --group ... [--oc]\n"
    "                       [--background DN,TN,DP,TP] [--out Rg.txt] [--pie] [--strict]\n\n"
    "Gathers the land uses of a results file into at most eight groups and\n"
    "shows, per group, the mean annual runoff volume (m3), erosion (1000 t) and\n"
    "nutrient loads (t) over years 2..last (year 1 alone for a one-year run),\n"
    "then groundwater, point sources, septic systems and the totals.\n\n"
    "  --group L=N,...  fills the next row (1 to 8 in the order given) with the\n"
    "                   label L and land uses N, ...; \"=3\" keeps the row's own\n"
    "                   label (Forest:, Agriculture:, Wetland:, Water:, Urban:,\n"
    "                   Other1:, Other2:, Other3:); rows not given keep their\n"
    "                   label and no land uses\n"
    "  --background ... moves background groundwater loads (t) out of the\n"
    "                   foreground row, as the window's adjust button does\n"
    "  --oc             organic-carbon headings\n"
    "  --out Rg.txt     write the regrouped-table file instead of printing\n"
    "  --pie            also list the pie of each column 2..6 (percent and angle)\n"
    "  --strict         refuse a results file whose lines do not hold the fields\n"
    "                   of its written layout",
    runRegroup,
}};

}  // namespace
