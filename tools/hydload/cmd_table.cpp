#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/grid_copy.h"
#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "analysis/table_text.h"
#include "args.h"
#include "command_registry.h"
#include "common/list_reader.h"

namespace {

int runTable(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--oc", "--strict"}, {"--mode", "--csv"});
    cli.expectOperands(2, 2, "table kind and file");
    const std::string& kind = cli.operands()[0];
    const std::string& file = cli.operands()[1];
    const std::string csv = cli.value("--csv").value_or("");
    const int mode =
        cli.has("--mode") ? hydload::wholeArg("--mode", *cli.value("--mode"), 0, 3) : 1;
    const bool oc = cli.flag("--oc");
    const bool strict = cli.flag("--strict");
    if (kind != "summary" && kind != "annual" && kind != "monthly")
        throw hydload::UsageError("the table is summary, annual or monthly, not \"" + kind + "\"");
    rivulon::TextGrid grid;
    const rivulon::ResultSet set =
        kind == "summary" ? rivulon::readSummaryFile(file) : rivulon::readResultsFile(file);
    hydload::reportWarnings(set.warnings, strict);
    if (kind == "summary") {
        grid = rivulon::buildSummaryTable(set, oc).grid;
    } else if (kind == "annual") {
        grid = rivulon::buildAnnualTable(set, oc).grid;
    } else {
        grid = rivulon::buildMonthlyTable(set, mode, oc).grid;
    }
    if (csv.empty()) {
        std::fputs(rivulon::alignedText(grid).c_str(), stdout);
    } else {
        rivulon::saveTableText(csv, grid);
    }
    return 0;
}

const hydload::Registrar reg{{
    "table",
    "show a result file as the summary, annual or monthly table",
    "usage: hydload table summary|annual|monthly FILE [--mode N] [--oc] [--csv OUT]\n"
    "                     [--strict]\n\n"
    "Builds a result table exactly as the results window shows it and prints it\n"
    "aligned, or with --csv writes it as a table text file (every cell quoted and\n"
    "followed by a comma, CR LF line ends).\n\n"
    "  summary FILE   a Summary*.dat file: multi-year means over all years\n"
    "  annual FILE    a Results*.dat file: one row per year\n"
    "  monthly FILE   a Results*.dat file: the block of means over years 2..last\n"
    "                 (year 1 alone for a one-year run), then one block per year\n"
    "  --mode N       monthly only: 0 shows the block of means alone, 1 (default),\n"
    "                 2 and 3 every block\n"
    "  --oc           label the N columns as organic carbon (OC)\n"
    "  --csv OUT      write the table text file OUT instead of printing\n"
    "  --strict       refuse a file whose lines do not hold the fields of its\n"
    "                 written layout\n\n"
    "Erosion and sediment are shown in 1000 t, nutrient loads in t, erosion per\n"
    "hectare of a land use in t/ha.",
    runTable,
}};

}  // namespace
