#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "scenarios/sub_basin_sum.h"

namespace {

std::vector<float> parseWeights(const std::string& text) {
    std::vector<float> weights;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        float w = 0;
        if (!rivulon::parseReal(item, w))
            throw std::invalid_argument("--weights: \"" + item + "\" is not a number");
        weights.push_back(w);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return weights;
}

int runSum(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<float> weights;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--weights" || a == "--out") {
            if (i + 1 >= args.size())
                throw std::invalid_argument(a + " needs a value");
            if (a == "--out")
                out = args[++i];
            else
                weights = parseWeights(args[++i]);
        } else if (!a.empty() && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty() || out.empty()) {
        std::fprintf(stderr, "usage: hydload sum RESULTS... [--weights w1,w2,...] --out FILE\n");
        return 2;
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
    "usage: hydload sum RESULTS... [--weights w1,w2,...] --out FILE\n\n"
    "Adds results files (e.g. those of a batch) into one combined results file:\n"
    "loads (point sources, erosion, sediment, N, P, septic) are summed with the\n"
    "weights; depths (precipitation, evapotranspiration, groundwater, runoff,\n"
    "streamflow) and land-use runoff and erosion are means weighted by each\n"
    "file's weighted area (weight x its total land-use area). The combined file\n"
    "carries the header, land-use names and areas of the last file.\n\n"
    "  --weights w,...  one coefficient per file, in file order (default 1 each)\n"
    "  --out FILE       the combined results file\n\n"
    "All files must have the land-use count and the year count of the first;\n"
    "otherwise the sum halts and nothing is written.",
    runSum,
}};

}  // namespace
