#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_registry.h"
#include "common/list_reader.h"
#include "scenarios/scenario_compare.h"

namespace {

int cellIndex(const std::string& option, const std::string& text, int limit) {
    float v = 0;
    if (!rivulon::parseReal(text, v) || v != static_cast<float>(static_cast<int>(v)) || v < 0 ||
        v >= static_cast<float>(limit))
        throw std::invalid_argument(option + " takes a whole number from 0 to " +
                                    std::to_string(limit - 1) + ", not \"" + text + "\"");
    return static_cast<int>(v);
}

int runCompare(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::string rowText, colText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--row" || a == "--col") {
            if (i + 1 >= args.size())
                throw std::invalid_argument(a + " needs a value");
            (a == "--row" ? rowText : colText) = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty() || rowText.empty() || colText.empty()) {
        std::fprintf(stderr, "usage: hydload compare Rg1.txt Rg2.txt ... --row R --col C\n");
        return 2;
    }
    const int row = cellIndex("--row", rowText, rivulon::kRegroupRows);
    const int col = cellIndex("--col", colText, rivulon::kRegroupCols);
    std::vector<rivulon::CompareTable> tables;
    for (const auto& f : files)
        tables.push_back(rivulon::loadCompareTable(f));
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
    "usage: hydload compare Rg1.txt Rg2.txt ... --row R --col C\n\n"
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
