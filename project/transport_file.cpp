#include "project/transport_file.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "common/value_rules.h"

namespace rivulon {

namespace {

// Reads the two counts; negative counts or a sum past 16 bits cannot size the
// land-use arrays, so they are refused.
void readCounts(ListReader& r, std::int16_t& rural, std::int16_t& urban) {
    rural = r.readInt16("number of rural land uses");
    if (rural < 0)
        r.fail("a count of 0 or more", "number of rural land uses");
    urban = r.readInt16("number of urban land uses");
    if (urban < 0)
        r.fail("a count of 0 or more", "number of urban land uses");
    if (rural + urban > 32767)
        r.fail("counts adding up to at most 32767", "number of urban land uses");
    r.endRecord(2);
}

// A value that no watershed can have (a negative area, a curve number past
// 100) would still run and give a meaningless result, so it is refused.
float readChecked(ListReader& r, const ValueRule& rule, const char* what) {
    const float v = r.readReal(what);
    if (!rule.accepts(v))
        r.failRange(rule.allowed, what);
    return v;
}

void readTransport(ListReader& r, WatershedSetup& ws) {
    readCounts(r, ws.ruralCount, ws.urbanCount);
    ws.landUseCount = static_cast<std::int16_t>(ws.ruralCount + ws.urbanCount);
    ws.resizeLandUses(ws.landUseCount);

    ws.recessionCoef = r.readReal("recession coefficient");
    ws.seepageCoef = r.readReal("seepage coefficient");
    ws.unsatStorage = r.readReal("initial unsaturated storage");
    ws.satStorage = r.readReal("initial saturated storage");
    ws.snowStorage = r.readReal("initial snow cover");
    ws.sedDeliveryRatio = r.readReal("sediment delivery ratio");
    ws.unsatCapacity = r.readReal("unsaturated water capacity");
    r.endRecord(7);
    for (int i = 1; i <= 5; ++i) {
        ws.antecedentWater[i] = r.readReal("antecedent rain+melt");
        r.endRecord(1);
    }

    for (int m = 1; m <= 12; ++m) {
        ws.monthName[m] = r.readString("month name");
        ws.etCoverCoef[m] = r.readReal("ET cover coefficient");
        ws.dayLength[m] = r.readReal("day length");
        ws.growingSeason[m] = r.readReal("growing season");
        ws.erosivityCoef[m] = r.readReal("erosivity coefficient");
        r.endRecord(5);
    }
    for (int k = 1; k <= ws.landUseCount; ++k) {
        ws.landUseName[k] = r.readString("land use name");
        ws.area[k] = readChecked(r, kAmountRule, "area");
        ws.curveNumber[k][2] = readChecked(r, kCurveNumberRule, "curve number");
        ws.erosionProduct[k] = r.readReal("K*LS*C*P");
        r.endRecord(4);
    }
    r.endOfRecords();
}

void keepWarnings(const ListReader& r, std::vector<std::string>* warnings) {
    if (warnings)
        warnings->insert(warnings->end(), r.warnings().begin(), r.warnings().end());
}

// A box or cell text as the editor saves it.
void cellNumber(RecordWriter& w, const std::string& text) {
    w.real(static_cast<float>(leadingNumber(text)));
}

}  // namespace

void readTransportText(const std::string& fileName, std::string content, WatershedSetup& ws,
                       std::vector<std::string>* warnings) {
    ListReader r(fileName, std::move(content));
    readTransport(r, ws);
    keepWarnings(r, warnings);
}

void readTransportFile(const std::string& path, WatershedSetup& ws,
                       std::vector<std::string>* warnings) {
    ListReader r = ListReader::open(path);
    readTransport(r, ws);
    keepWarnings(r, warnings);
}

TransportTable transportTableFrom(const WatershedSetup& ws) {
    TransportTable t;
    t.ruralCount = std::to_string(ws.ruralCount);
    t.urbanCount = std::to_string(ws.urbanCount);
    const float basin[7] = {ws.recessionCoef, ws.seepageCoef,      ws.unsatStorage, ws.satStorage,
                            ws.snowStorage,   ws.sedDeliveryRatio, ws.unsatCapacity};
    for (int i = 0; i < 7; ++i)
        t.basin[i] = formatReal(basin[i]);
    for (int i = 0; i < 5; ++i)
        t.antecedent[i] = formatReal(ws.antecedentWater[i + 1]);
    for (int m = 1; m <= 12; ++m) {
        t.months[m - 1] = {ws.monthName[m], formatReal(ws.etCoverCoef[m]),
                           formatReal(ws.dayLength[m]), formatReal(ws.growingSeason[m]),
                           formatReal(ws.erosivityCoef[m])};
    }
    for (int k = 1; k <= ws.landUseCount; ++k) {
        t.landUses.push_back({ws.landUseName[k], formatReal(ws.area[k]),
                              formatReal(ws.curveNumber[k][2]), formatReal(ws.erosionProduct[k])});
    }
    return t;
}

namespace {

// Names are written in double quotes without escaping, so a double quote in a
// name would end it when the file is read back; it is saved as an apostrophe.
std::string nameForFile(std::string name) {
    std::replace(name.begin(), name.end(), '"', '\'');
    return name;
}

}  // namespace

std::string transportFileText(const TransportTable& t) {
    // The reader rounds each count to a whole number; write as many rows as it
    // will then expect.
    const double rural = roundHalfEven(leadingNumber(t.ruralCount));
    const double urban = roundHalfEven(leadingNumber(t.urbanCount));
    const double rows = (rural > 0 ? rural : 0) + (urban > 0 ? urban : 0);
    if (rows > static_cast<double>(t.landUses.size())) {
        throw FileError("The land-use table has " + std::to_string(t.landUses.size()) +
                        " rows, but the counts ask for " + formatDouble(rows) +
                        "; the transport file was not written.");
    }
    RecordWriter w;
    cellNumber(w, t.ruralCount);
    cellNumber(w, t.urbanCount);
    w.endRecord();
    for (const auto& v : t.basin)
        cellNumber(w, v);
    w.endRecord();
    for (const auto& v : t.antecedent) {
        cellNumber(w, v);
        w.endRecord();
    }
    for (const auto& row : t.months) {
        w.text(nameForFile(row[0]));
        for (int c = 1; c < 5; ++c)
            cellNumber(w, row[c]);
        w.endRecord();
    }
    for (std::size_t k = 0; k < static_cast<std::size_t>(rows); ++k) {
        const auto& row = t.landUses[k];
        w.text(nameForFile(row[0]));
        for (int c = 1; c < 4; ++c)
            cellNumber(w, row[c]);
        w.endRecord();
    }
    return w.take();
}

void writeTransportFile(const std::string& path, const TransportTable& table) {
    writeFileAtomically(path, transportFileText(table));
}

LandUseList readLandUseList(const std::string& path) {
    ListReader r = ListReader::open(path);
    LandUseList list;
    readCounts(r, list.ruralCount, list.urbanCount);
    r.skip(12);      // basin and antecedent values
    r.skip(12 * 5);  // month lines
    const int n = list.ruralCount + list.urbanCount;
    for (int k = 0; k < n; ++k) {
        list.names.push_back(r.readString("land use name"));
        r.skip(3);
    }
    return list;
}

}  // namespace rivulon
