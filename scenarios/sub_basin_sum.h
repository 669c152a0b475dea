#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/result_file.h"
#include "engine/model_state.h"

namespace rivulon {

// Why a sum stopped; the text is what the window shows.
class SumError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Adds results files into one combined result: loads (point sources, erosion,
// sediment, N and P, septic) as weighted sums, depths and land-use runoff and
// erosion as means weighted by each file's weighted area w * sum of its areas.
// The combined header, land-use names and areas are those of the last file.
class SubBasinSum {
  public:
    // Adds file number k (0-based, in list order). Throws SumError on a
    // land-use or year count that differs from the first file's, and on any
    // read error; the sum is then void and every later file is refused.
    void add(const std::string& fileName, float weight);
    void add(const ResultSet& file, const std::string& fileName, float weight);

    int fileCount() const { return files_; }
    double totalWeightedArea() const { return totalArea_; }

    // The combined results, depths divided by the total weighted area, ready
    // for the results writer. Throws SumError when nothing was added or the
    // total weighted area is 0 (every weight or area 0).
    ModelState combined();

  private:
    // Depth sums (value x weighted area) stay in 64 bits until divided by the
    // total area, so that identical files give back their own depths exactly.
    enum DepthTable {
        kPrecip,
        kEvapo,
        kGroundwater,
        kRunoff,
        kFlow,
        kMonthTables,
        kLuRunoff = kMonthTables,
        kLuErosion
    };
    double& depth(int table, int year, int index);
    std::vector<double> depthSums_;

    ModelState sum_;
    double totalArea_ = 0.0;  // 64-bit, as the window keeps it
    std::int16_t landUseCount_ = 0;
    std::int16_t yearCount_ = 0;
    int files_ = 0;
    bool void_ = false;
};

// Sums the files with their weights (one per file) and returns the text of
// the combined Results file. Throws SumError.
std::string sumResultsFiles(const std::vector<std::string>& files,
                            const std::vector<float>& weights);

}  // namespace rivulon
