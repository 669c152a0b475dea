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
    in.endRecord(1);
    in.skip(15);  // heading record, free text
    in.endRecord(15);
    ControlFile file;
    file.rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ControlRow r;
        r.watershedName = in.readString("watershed name");
        r.source = fileNameOf(fileName) + ":" + std::to_string(in.line());
        r.transportFile = in.readString("transport file");
        r.nutrientFile = in.readString("nutrient file");
        r.weatherFile = in.readString("weather file");
        r.popRate = in.readReal("population growth rate");
        r.seepControl = in.readInt16("seepage control on");
        const char* seepNames[] = {"maximum seepage coefficient", "daily seepage rate",
                                   "annual seepage rate"};
        float* seep[] = {&r.maxSeepCoef, &r.dailySeep, &r.yearSeep};
        for (int k = 0; k < 3; ++k) {
            *seep[k] = in.readReal(seepNames[k]);
            if (r.seepControl != 0) {
                // The row has no minimum streamflow; the run takes it as 0.
                std::array<float, 4> sofar{r.maxSeepCoef, r.dailySeep, r.yearSeep, 0.0f};
                for (int j = k + 1; j < 3; ++j)
                    sofar[j] = 0.0f;
                if (const ValueProblem p = seepageProblem(sofar); p && p.index == k)
                    in.failRange(p.allowed, seepNames[k]);
            }
        }
        r.varConc = in.readInt16("variable concentration on");
        const char* varNames[] = {"a coefficient", "b coefficient", "lower limit", "upper limit"};
        float* var[] = {&r.varConcA, &r.varConcB, &r.varConcLow, &r.varConcHigh};
        for (int k = 0; k < 4; ++k) {
            *var[k] = in.readReal(varNames[k]);
            if (r.varConc != 0) {
                std::array<float, 4> sofar{r.varConcA, r.varConcB, r.varConcLow, r.varConcHigh};
                for (int j = k + 1; j < 4; ++j)
                    sofar[j] = j == 2 ? 1e-30f : 1e30f;  // not yet read: out of the way
                if (const ValueProblem p = varConcProblem(sofar); p && p.index == k)
                    in.failRange(p.allowed, varNames[k]);
            }
        }
        r.septicNReduction = in.readReal("septic N reduction");
        if (!(r.septicNReduction >= 0 && r.septicNReduction <= 1))
            in.failRange("0 to 1", "septic N reduction");
        in.endRecord(15);
        file.rows.push_back(std::move(r));
    }
    in.endOfRecords();
    file.warnings = in.warnings();
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

OptionSources controlRowSources(const ControlRow& row) {
    OptionSources s;
    s.popRate = row.source + ": field 5 (population growth rate)";
    s.septicReduction = row.source + ": field 15 (septic N reduction)";
    s.seepage = row.source + ": ";
    s.varConc = row.source + ": ";
    return s;
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
