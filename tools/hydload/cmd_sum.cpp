#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/result_file.h"
#include "args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "scenarios/sub_basin_sum.h"

namespace {

std::vector<float> parseWeights(const std::string& text) {
    std::vector<float> weights;
    for (const std::string& item : hydload::listArg("--weights", text, 0))
        weights.push_back(hydload::realArg("--weights", item));
    return weights;
}

int runSum(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--strict"}, {"--weights", "--out"});
    cli.expectOperands(1, 100000, "results files");
    const std::vector<std::string>& files = cli.operands();
    if (!cli.has("--out"))
        throw hydload::UsageError("--out is required");
    const std::string out = *cli.value("--out");
    std::vector<float> weights;
    if (auto v = cli.value("--weights")) {
        weights = parseWeights(*v);
        if (weights.size() != files.size())
            throw hydload::UsageError("--weights gives " + std::to_string(weights.size()) +
                                      " weight(s) for " + std::to_string(files.size()) +
                                      " file(s)");
    }
    if (cli.flag("--strict")) {
        for (const auto& f : files)
            hydload::reportWarnings(rivulon::readResultsFile(f).warnings, true);
    }
    if (weights.empty())
        weights.assign(files.size(), 1.0f);  // the window's grid starts at 1 for every file

    // A results file like a run's: never one of the files summed, and written
    // under the output folder's claim.
    const auto claim = rivulon::claimOutputFolder(rivulon::dirOfPath(out), {out}, files,
                                                  rivulon::OutputFolderLock::Mode::Wait);
    const std::string text = rivulon::sumResultsFiles(files, weights);
    rivulon::ResultFileSet set;
    set.add(out, text);
    set.commit();
    std::printf("%zu results file(s) summed into %s\n", files.size(), out.c_str());
    return 0;
}

const hydload::Registrar reg{{
    "sum",
    "weighted sum of sub-basin results files into one results file",
    "usage: hydload sum RESULTS... [--weights w1,w2,...] --out FILE [--strict]\n\n"
    "Adds results files (e.g. those of a batch) into one combined results file:\n"
    "loads (point sources, erosion, sediment, N, P, septic) are summed with the\n"
    "weights; depths (precipitation, evapotranspiration, groundwater, runoff,\n"
    "streamflow) and land-use runoff and erosion are means weighted by each\n"
    "file's weighted area (weight x its total land-use area). The combined file\n"
    "carries the header, land-use names and areas of the last file.\n\n"
    "  --weights w,...  one coefficient per file, in file order (default 1 each)\n"
    "  --out FILE       the combined results file\n"
    "  --strict         refuse a results file whose lines do not hold the fields\n"
    "                   of its written layout\n\n"
    "All files must have the land-use count and the year count of the first;\n"
    "otherwise the sum halts and nothing is written.",
    runSum,
}};

}  // namespace
