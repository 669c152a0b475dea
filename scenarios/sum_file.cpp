#include "engine/result_files.h"
#include "scenarios/sub_basin_sum.h"

namespace rivulon {

std::string sumResultsFiles(const std::vector<std::string>& files,
                            const std::vector<float>& weights) {
    if (files.size() != weights.size()) {
        throw SumError("Give one weighting coefficient per file (" + std::to_string(files.size()) +
                       " files, " + std::to_string(weights.size()) + " coefficients).");
    }
    SubBasinSum sum;
    for (std::size_t k = 0; k < files.size(); ++k)
        sum.add(files[k], weights[k]);
    return resultsFileText(sum.combined());
}

}  // namespace rivulon
