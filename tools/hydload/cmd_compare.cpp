#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "args.h"
#include "command_registry.h"
#include "common/list_reader.h"
#include "scenarios/scenario_compare.h"

namespace {

int runCompare(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--strict"}, {"--row", "--col"});
    cli.expectOperands(1, 100000, "regrouped tables");
    const std::vector<std::string>& files = cli.operands();
    if (!cli.has("--row") || !cli.has("--col"))
        throw hydload::UsageError("--row and --col are required");
    const int row = hydload::wholeArg("--row", *cli.value("--row"), 0, rivulon::kRegroupRows - 1);
    const int col = hydload::wholeArg("--col", *cli.value("--col"), 0, rivulon::kRegroupCols - 1);
    std::vector<rivulon::CompareTable> tables;
    for (const auto& f : files) {
        tables.push_back(rivulon::loadCompareTable(f));
        hydload::reportWarnings(tables.back().warnings, cli.flag("--strict"));
    }
    const rivulon::CompareSeries s = rivulon::compareSeries(tables, row, col);
    std::printf("%s\n", s.title.c_str());
    for (std::size_t k = 0; k < s.labels.size(); ++k)
        std::printf("%zu: %s\t%s\n", k + 1, s.labels[k].c_str(), s.texts[k].c_str());
    std::printf("%s\n", s.footnote.c_str());
    return 0;
}

const hydload::Registrar reg{{
    "compare",
    "one cell of several regrouped tables, across scenarios",
    "usage: hydload compare Rg1.txt Rg2.txt ... --row R --col C [--strict]\n\n"
    "Reads regrouped tables (Rg*.txt, 14 rows by 7 columns, as `hydload regroup\n"
    "--out` or the regrouping window saves them) and lists cell (R, C) of each,\n"
    "as the scenario chart plots it: the title (column heading + \": Annual\n"
    "output under different scenarios\"), one line per file (number, file name,\n"
    "cell text) and the footnote (row label + \" the current plotted source.\").\n"
    "Row 0 and column 0 are the headings; rows 1-8 are the land-use groups, 9-12\n"
    "groundwater, point sources and septic systems, 13 the totals.",
    runCompare,
}};

}  // namespace
