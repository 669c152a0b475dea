#include "analysis/result_file.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "common/text_encoding.h"

namespace rivulon {

namespace {

ResultHeader readHeader(ListReader& in) {
    ResultHeader h;
    h.watershedName = in.readString("watershed name");
    h.yearCount = in.readInt16("number of years");
    if (h.yearCount < 1)
        in.fail("a number of years of at least 1", "number of years");
    h.ruralCount = in.readInt16("number of rural land uses");
    if (h.ruralCount < 0)
        in.fail("a count of 0 or more", "number of rural land uses");
    h.urbanCount = in.readInt16("number of urban land uses");
    if (h.urbanCount < 0)
        in.fail("a count of 0 or more", "number of urban land uses");
    h.landUseCount = in.readInt16("number of land uses");
    if (h.landUseCount < 0)
        in.fail("a count of 0 or more", "number of land uses");
    h.simLevel = in.readInt16("simulation level");
    if (h.simLevel < 1 || h.simLevel > 4)
        in.fail("a simulation level from 1 to 4", "simulation level");
    in.endRecord(6);
    return h;
}

// The two kinds start alike; the line after the header tells them apart: a
// results file's month lines hold 3 fields, a summary file's 6.
void checkKind(const ListReader& in, bool summaryExpected) {
    const int fields = in.fieldsOnNextLine();
    if (summaryExpected && fields == 3) {
        throw ReadError(in.fileName(), in.line() + 1,
                        "this is a results file (as Results.dat), not a summary file (as "
                        "Summary.dat)");
    }
    if (!summaryExpected && fields == 6) {
        throw ReadError(in.fileName(), in.line() + 1,
                        "this is a summary file (as Summary.dat), not a results file (as "
                        "Results.dat)");
    }
}

// Every field takes at least one character, so a header promising more fields
// than the file has characters is refused before anything is sized from it.
void checkPromise(const ListReader& in, std::size_t contentSize, long long fields,
                  const ResultHeader& h) {
    if (fields > static_cast<long long>(contentSize) + 1) {
        throw ReadError(in.fileName(), in.line(),
                        "the file ends before the " + std::to_string(h.yearCount) + " years and " +
                            std::to_string(h.landUseCount) + " land uses its header promises");
    }
}

void sizeYearMonth(ResultYearMonth& t, int years) {
    t.assign(years + 1, ResultMonths{});
}

void sizeYearLandUse(ResultYearLandUse& t, int years, int landUses) {
    t.assign(years + 1, std::vector<float>(landUses + 1, 0.0f));
}

void readLandUses(ListReader& in, ResultSet& rs, bool withValues) {
    const int n = rs.header.landUseCount;
    rs.landUseName.assign(n + 1, std::string());
    rs.area.assign(n + 1, 0.0f);
    rs.totalArea = 0.0f;
    if (withValues) {
        for (auto* v : {&rs.meanLuRunoff, &rs.meanLuErosionPerHa, &rs.meanLuDisN, &rs.meanLuTotN,
                        &rs.meanLuDisP, &rs.meanLuTotP})
            v->assign(n + 1, 0.0f);
    }
    for (int k = 1; k <= n; ++k) {
        rs.landUseName[k] = in.readString("land-use name");
        rs.area[k] = in.readReal("area");
        rs.totalArea += rs.area[k];
        if (withValues) {
            rs.meanLuRunoff[k] = in.readReal("runoff");
            rs.meanLuErosionPerHa[k] = in.readReal("erosion per hectare");
            rs.meanLuDisN[k] = in.readReal("dissolved N");
            rs.meanLuTotN[k] = in.readReal("total N");
            rs.meanLuDisP[k] = in.readReal("dissolved P");
            rs.meanLuTotP[k] = in.readReal("total P");
        }
        in.endRecord(withValues ? 8 : 2);
    }
}

}  // namespace

AveragedYears averagedYears(int yearCount) {
    AveragedYears a;
    a.last = std::max(yearCount, 1);
    a.first = yearCount < 2 ? a.last : 2;
    a.count = a.last - a.first + 1;
    return a;
}

ResultSet parseResultsText(const std::string& name, std::string content) {
    const std::size_t size = content.size();
    ListReader in(name, std::move(content));
    ResultSet rs;
    rs.path = name;
    rs.header = readHeader(in);
    checkKind(in, false);
    const ResultHeader& h = rs.header;
    const int years = h.yearCount;
    const int lu = h.landUseCount;
    const long long perYear = 13LL * (5 + 8) + 6LL * lu + (h.simLevel > 3 ? 2 : 0);
    checkPromise(in, size, 36LL * years + 2LL * lu + perYear * years, h);

    sizeYearMonth(rs.pointN, years);
    sizeYearMonth(rs.pointP, years);
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            rs.monthName[m] = in.readString("month name");
            rs.pointN[y][m] = in.readReal("point-source N");
            rs.pointP[y][m] = in.readReal("point-source P");
            in.endRecord(3);
        }
    }
    readLandUses(in, rs, false);

    for (auto* t : {&rs.precip, &rs.evapo, &rs.groundwater, &rs.runoffDepth, &rs.flow, &rs.erosion,
                    &rs.sediment, &rs.gwLoadN, &rs.gwLoadP, &rs.disN, &rs.totN, &rs.disP, &rs.totP})
        sizeYearMonth(*t, years);
    for (auto* t : {&rs.luRunoff, &rs.luErosion, &rs.luDisN, &rs.luTotN, &rs.luDisP, &rs.luTotP})
        sizeYearLandUse(*t, years, lu);
    rs.septicN.assign(years + 1, 0.0f);
    rs.septicP.assign(years + 1, 0.0f);

    for (int y = 1; y <= years; ++y) {
        for (int m = 0; m <= 12; ++m) {
            rs.precip[y][m] = in.readReal("precipitation");
            rs.evapo[y][m] = in.readReal("evapotranspiration");
            rs.groundwater[y][m] = in.readReal("groundwater");
            rs.runoffDepth[y][m] = in.readReal("runoff");
            rs.flow[y][m] = in.readReal("streamflow");
            in.endRecord(5);
            rs.erosion[y][m] = in.readReal("erosion");
            rs.sediment[y][m] = in.readReal("sediment");
            rs.gwLoadN[y][m] = in.readReal("groundwater N");
            rs.gwLoadP[y][m] = in.readReal("groundwater P");
            rs.disN[y][m] = in.readReal("dissolved N");
            rs.totN[y][m] = in.readReal("total N");
            rs.disP[y][m] = in.readReal("dissolved P");
            rs.totP[y][m] = in.readReal("total P");
            in.endRecord(8);
        }
        for (int k = 1; k <= lu; ++k) {
            rs.luRunoff[y][k] = in.readReal("land-use runoff");
            rs.luErosion[y][k] = in.readReal("land-use erosion");
            rs.luDisN[y][k] = in.readReal("land-use dissolved N");
            rs.luTotN[y][k] = in.readReal("land-use total N");
            rs.luDisP[y][k] = in.readReal("land-use dissolved P");
            rs.luTotP[y][k] = in.readReal("land-use total P");
            in.endRecord(6);
        }
        if (h.simLevel > 3) {
            rs.septicN[y] = in.readReal("septic N");
            rs.septicP[y] = in.readReal("septic P");
            in.endRecord(2);
        }
    }
    in.endOfRecords();
    rs.warnings = in.warnings();
    return rs;
}

ResultSet parseSummaryText(const std::string& name, std::string content) {
    const std::size_t size = content.size();
    ListReader in(name, std::move(content));
    ResultSet rs;
    rs.path = name;
    rs.isSummary = true;
    rs.header = readHeader(in);
    checkKind(in, true);
    const ResultHeader& h = rs.header;
    checkPromise(
        in, size,
        77LL + (h.simLevel >= 2 ? 90 : 0) + 8LL * h.landUseCount + 4 + (h.simLevel > 3 ? 2 : 0), h);

    for (int m = 1; m <= 12; ++m) {
        rs.monthName[m] = in.readString("month name");
        rs.meanPrecip[m] = in.readReal("precipitation");
        rs.meanEvapo[m] = in.readReal("evapotranspiration");
        rs.meanGroundwater[m] = in.readReal("groundwater");
        rs.meanRunoff[m] = in.readReal("runoff");
        rs.meanFlow[m] = in.readReal("streamflow");
        in.endRecord(6);
    }
    rs.meanPrecip[0] = in.readReal("annual precipitation");
    rs.meanEvapo[0] = in.readReal("annual evapotranspiration");
    rs.meanGroundwater[0] = in.readReal("annual groundwater");
    rs.meanRunoff[0] = in.readReal("annual runoff");
    rs.meanFlow[0] = in.readReal("annual streamflow");
    in.endRecord(5);
    if (h.simLevel >= 2) {
        for (int m = 0; m <= 12; ++m) {
            // The twelve months come first, the annual line last.
            const int i = m < 12 ? m + 1 : 0;
            if (i != 0)
                rs.monthName[i] = in.readString("month name");
            const bool annual = i == 0;
            rs.meanErosion[i] = in.readReal(annual ? "annual erosion" : "erosion");
            rs.meanSediment[i] = in.readReal(annual ? "annual sediment" : "sediment");
            rs.meanDisN[i] = in.readReal(annual ? "annual dissolved N" : "dissolved N");
            rs.meanTotN[i] = in.readReal(annual ? "annual total N" : "total N");
            rs.meanDisP[i] = in.readReal(annual ? "annual dissolved P" : "dissolved P");
            rs.meanTotP[i] = in.readReal(annual ? "annual total P" : "total P");
            in.endRecord(annual ? 6 : 7);
        }
    }
    readLandUses(in, rs, true);
    rs.meanGwLoadN = in.readReal("groundwater N");
    rs.meanGwLoadP = in.readReal("groundwater P");
    rs.pointYearN = in.readReal("point-source N");
    rs.pointYearP = in.readReal("point-source P");
    in.endRecord(4);
    if (h.simLevel > 3) {
        rs.meanSepticN = in.readReal("septic N");
        rs.meanSepticP = in.readReal("septic P");
        in.endRecord(2);
    }
    in.endOfRecords();
    rs.warnings = in.warnings();
    return rs;
}

ResultSet readResultsFile(const std::string& path) {
    return parseResultsText(path, readTextFile(path));
}

ResultSet readSummaryFile(const std::string& path) {
    return parseSummaryText(path, readTextFile(path));
}

}  // namespace rivulon
