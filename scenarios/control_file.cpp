#include "scenarios/control_file.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"

namespace rivulon {

ControlFile readControlFile(const std::string& path) {
    return parseControlFile(path, readWholeFile(path));
}

ControlFile parseControlFile(const std::string& fileName, std::string content) {
    ListReader in(fileName, std::move(content));
    const std::int16_t n = in.readInt16("number of rows");
    if (n < 1)
        in.fail("a number of rows of at least 1", "number of rows");
    in.skip(15);  // heading record, free text
    ControlFile file;
    file.rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ControlRow r;
        r.watershedName = in.readString("watershed name");
        r.transportFile = in.readString("transport file");
        r.nutrientFile = in.readString("nutrient file");
        r.weatherFile = in.readString("weather file");
        r.popRate = in.readReal("population growth rate");
        r.seepControl = in.readInt16("seepage control on");
        r.maxSeepCoef = in.readReal("maximum seepage coefficient");
        r.dailySeep = in.readReal("daily seepage rate");
        r.yearSeep = in.readReal("annual seepage rate");
        r.varConc = in.readInt16("variable concentration on");
        r.varConcA = in.readReal("a coefficient");
        r.varConcB = in.readReal("b coefficient");
        r.varConcLow = in.readReal("lower limit");
        r.varConcHigh = in.readReal("upper limit");
        r.septicNReduction = in.readReal("septic N reduction");
        file.rows.push_back(std::move(r));
    }
    return file;
}

int rowsToRun(int requested, const ControlFile& file) {
    return std::min(requested, static_cast<int>(file.rows.size()));
}

void applyControlRow(const ControlRow& row, RunOptions& o) {
    o.popRate = row.popRate;
    o.seepControlOn = row.seepControl != 0;
    o.maxSeepCoef = row.maxSeepCoef;
    o.dailySeep = row.dailySeep;
    o.yearSeep = row.yearSeep;
    o.varConcOn = row.varConc != 0;
    o.varConcA = row.varConcA;
    o.varConcB = row.varConcB;
    o.varConcLow = row.varConcLow;
    o.varConcHigh = row.varConcHigh;
    // The septic menu mark only shows whether the fraction is above 0; the
    // run applies the fraction itself.
    o.septicNReduction = row.septicNReduction;
}

RowInputPaths rowInputPaths(const ControlRow& row, const std::string& inputFolder) {
    return {joinPath(inputFolder, normalizeSeparators(row.transportFile)),
            joinPath(inputFolder, normalizeSeparators(row.nutrientFile)),
            joinPath(inputFolder, normalizeSeparators(row.weatherFile))};
}

std::string batchResultsName(const std::string& nameString, int row) {
    return "Results" + nameString + std::to_string(row) + ".dat";
}

std::string batchSummaryName(const std::string& nameString, int row) {
    return "Summary" + nameString + std::to_string(row) + ".dat";
}

std::string batchRowCaption(int row) {
    return "Runing model for subbasin " + std::to_string(row) + "...";
}

}  // namespace rivulon
