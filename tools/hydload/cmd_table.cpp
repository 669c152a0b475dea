#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/grid_copy.h"
#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "analysis/table_text.h"
#include "command_registry.h"
#include "common/list_reader.h"

namespace {

int runTable(const std::vector<std::string>& args) {
    std::string kind, file, csv;
    int mode = 1;
    bool oc = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--oc") {
            oc = true;
        } else if (a == "--mode" || a == "--csv") {
            if (i + 1 >= args.size())
                throw std::invalid_argument(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--csv") {
                csv = v;
            } else {
                float m = 0;
                if (!rivulon::parseReal(v, m) || m < 0 || m > 3 || m != static_cast<int>(m))
                    throw std::invalid_argument("--mode takes 0, 1, 2 or 3, not \"" + v + "\"");
                mode = static_cast<int>(m);
            }
        } else if (!a.empty() && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else if (kind.empty()) {
            kind = a;
        } else if (file.empty()) {
            file = a;
        } else {
            throw std::invalid_argument("unexpected argument \"" + a + "\"");
        }
    }
    if (file.empty()) {
        std::fprintf(stderr,
                     "usage: hydload table summary|annual|monthly FILE [--mode N] [--oc] "
                     "[--csv OUT]\n");
        return 2;
    }
    rivulon::TextGrid grid;
    if (kind == "summary") {
        grid = rivulon::buildSummaryTable(rivulon::readSummaryFile(file), oc).grid;
    } else if (kind == "annual") {
        grid = rivulon::buildAnnualTable(rivulon::readResultsFile(file), oc).grid;
    } else if (kind == "monthly") {
        grid = rivulon::buildMonthlyTable(rivulon::readResultsFile(file), mode, oc).grid;
    } else {
        throw std::invalid_argument("the table is summary, annual or monthly, not \"" + kind +
                                    "\"");
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
    "usage: hydload table summary|annual|monthly FILE [--mode N] [--oc] [--csv OUT]\n\n"
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
    "  --csv OUT      write the table text file OUT instead of printing\n\n"
    "Erosion and sediment are shown in 1000 t, nutrient loads in t, erosion per\n"
    "hectare of a land use in t/ha.",
    runTable,
}};

}  // namespace
