#include "project/nutrient_file.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "common/value_rules.h"
#include "project/input_error.h"
#include "project/nutrient_matrix.h"

namespace rivulon {

namespace {

// Concentrations, loads and populations below 0 have no meaning in the model.
float readAtLeastZero(ListReader& r, const char* what) {
    const float v = r.readReal(what);
    if (!kAmountRule.accepts(v))
        r.failRange(kAmountRule.allowed, what);
    return v;
}

// The multi-year point sources end before the run's last year: say so in
// years rather than as a number missing at the end of the file.
[[noreturn]] void failShortPointSources(const ListReader& r, int year, int month, int years) {
    const int whole = year - 1;
    std::string held = "the file holds point sources for " + std::to_string(whole) +
                       (whole == 1 ? " year" : " years");
    if (month > 1)
        held += " and " + std::to_string(month - 1) + (month == 2 ? " month" : " months");
    throw ReadError(
        r.fileName(), r.line(),
        held + " and the run needs " + std::to_string(years) + " (the years of the weather file)");
}

void readNutrients(ListReader& r, int manureCommas, const WatershedSetup& ws, int pointYears,
                   NutrientSetup& ns) {
    const int years = std::max(pointYears, 1);
    ns.pointN.assign(years + 1, MonthArray{});
    ns.pointP.assign(years + 1, MonthArray{});
    ns.resizeLandUses(ws.landUseCount);

    ns.sedimentN = r.readReal("sediment N");
    if (ns.sedimentN < 0) {
        // The editor marks its three-column form (with organic carbon) this
        // way; read as two columns every later field would shift.
        throw ReadError(r.fileName(), r.line(),
                        "the file is in the three-column form (N, P and organic carbon; "
                        "negative first value), which a run cannot use; save it in the "
                        "two-column form from the nutrient editor");
    }
    ns.sedimentP = readAtLeastZero(r, "sediment P");
    ns.groundwaterN = readAtLeastZero(r, "groundwater N");
    ns.groundwaterP = readAtLeastZero(r, "groundwater P");
    r.endRecord(4);

    // Manured land uses are the first rural ones, so the count (as it is
    // rounded when used) must lie within the rural count.
    ns.manuredCount = r.readReal("number of manured land uses");
    const double manuredUsed = roundHalfEven(ns.manuredCount);
    if (!(manuredUsed >= 0 && manuredUsed <= ws.ruralCount)) {
        r.failRange("0 to " + std::to_string(ws.ruralCount) + " (the number of rural land uses)",
                    "number of manured land uses");
    }
    ns.manureStart = r.readInt16("manure start month");
    ns.manureEnd = r.readInt16("manure end month");
    if (manureCommas >= 3) {
        ns.manureStart2 = r.readInt16("2nd manure start month");
        ns.manureEnd2 = r.readInt16("2nd manure end month");
        r.endRecord(5);
    } else {
        ns.manureStart2 = 0;
        ns.manureEnd2 = 0;
        r.endRecord(3);
    }

    for (int k = 1; k <= ws.ruralCount; ++k) {
        const float n = readAtLeastZero(r, "runoff N");
        const float p = readAtLeastZero(r, "runoff P");
        r.endRecord(2);
        for (int m = 1; m <= 12; ++m) {
            ns.runoffN[k][m] = n;
            ns.runoffP[k][m] = p;
        }
    }
    for (int k = ws.ruralCount + 1; k <= ws.landUseCount; ++k) {
        const float n = readAtLeastZero(r, "build-up N");
        const float p = readAtLeastZero(r, "build-up P");
        r.endRecord(2);
        for (int m = 1; m <= 12; ++m) {
            ns.buildupN[k][m] = n;
            ns.buildupP[k][m] = p;
        }
    }

    // The count is a real; as many lines as it rounds to, half to even.
    std::vector<float> manN{0.0f}, manP{0.0f};
    for (double j = 1; j <= manuredUsed; ++j) {
        manN.push_back(readAtLeastZero(r, "manured runoff N"));
        manP.push_back(readAtLeastZero(r, "manured runoff P"));
        r.endRecord(2);
    }
    // The model compares rural land-use numbers with the count, so keep an
    // entry for every rural land use.
    const std::size_t size = std::max(manN.size(), static_cast<std::size_t>(ws.ruralCount) + 1);
    manN.resize(size, 0.0f);
    manP.resize(size, 0.0f);
    ns.manuredRunoffN = std::move(manN);
    ns.manuredRunoffP = std::move(manP);

    for (int m = 1; m <= 12; ++m) {
        ns.pointN[1][m] = readAtLeastZero(r, "point N");
        ns.pointP[1][m] = readAtLeastZero(r, "point P");
        r.endRecord(2);
    }
    for (int y = 2; y <= years; ++y) {
        ns.pointN[y] = ns.pointN[1];
        ns.pointP[y] = ns.pointP[1];
    }

    const int flag = r.readInt16("septic/point source flag");
    r.endRecord(1);
    for (int m = 1; m <= 12; ++m) {
        ns.normalPop[m] = readAtLeastZero(r, "normal septic population");
        ns.pondedPop[m] = readAtLeastZero(r, "ponded septic population");
        ns.shortCircuitPop[m] = readAtLeastZero(r, "short-circuited septic population");
        ns.directPop[m] = readAtLeastZero(r, "direct discharge population");
        r.endRecord(4);
    }
    ns.perCapitaN = readAtLeastZero(r, "septic N loading");
    ns.perCapitaP = readAtLeastZero(r, "septic P loading");
    ns.uptakeN = r.readReal("septic N uptake");
    ns.uptakeP = r.readReal("septic P uptake");
    r.endRecord(4);

    if (flag == 2 || flag == 3) {
        for (int y = 2; y <= years; ++y) {
            for (int m = 1; m <= 12; ++m) {
                if (r.atEnd() || r.nextLineIs(kMatrixBlockLine))
                    failShortPointSources(r, y, m, years);
                ns.pointN[y][m] = readAtLeastZero(r, "point N");
                ns.pointP[y][m] = readAtLeastZero(r, "point P");
                r.endRecord(2);
            }
        }
    }
    // Point-source years beyond the weather's and the data-matrix block are
    // the file's own; anything else after the last record is pointed out.
    if (!r.nextLineIs(kMatrixBlockLine))
        r.endOfRecords();
}

[[noreturn]] void rethrowWithSuffix(const std::string& file, int line, const std::string& detail) {
    throw InputFileError(file, line, detail + std::string(kNutrientErrorSuffix));
}

}  // namespace

int manureCommaCount(std::string_view content) {
    std::size_t i = content.find_first_of("\r\n");
    if (i == std::string_view::npos)
        return 0;
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
        ++i;
    const std::string_view rest = content.substr(i + 1);
    const std::string_view line2 = rest.substr(0, rest.find_first_of("\r\n"));
    return static_cast<int>(std::count(line2.begin(), line2.end(), ','));
}

int manureCheck(const std::string& path) {
    return manureCommaCount(readWholeFile(path));
}

void readNutrientText(const std::string& fileName, std::string content,
                      const WatershedSetup& watershed, int pointYears, NutrientSetup& nutrients,
                      std::vector<std::string>* warnings) {
    const int commas = manureCommaCount(content);
    ListReader r(fileName, std::move(content));
    try {
        readNutrients(r, commas, watershed, pointYears, nutrients);
    } catch (const ReadError& e) {
        rethrowWithSuffix(e.file(), e.line(), e.what());
    }
    if (warnings)
        warnings->insert(warnings->end(), r.warnings().begin(), r.warnings().end());
}

void readNutrientFile(const std::string& path, const WatershedSetup& watershed, int pointYears,
                      NutrientSetup& nutrients, std::vector<std::string>* warnings) {
    std::string content;
    try {
        content = readWholeFile(path);
    } catch (const FileError& e) {
        rethrowWithSuffix(path, 0, e.what());
    }
    readNutrientText(path, std::move(content), watershed, pointYears, nutrients, warnings);
}

}  // namespace rivulon
