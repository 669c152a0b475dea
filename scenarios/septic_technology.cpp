#include "scenarios/septic_technology.h"

#include <stdexcept>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"

namespace rivulon {

SepticTechTable defaultSepticTable() {
    return {SepticTechnology{"CurrentDefault 0", 0.0f, 100.0f, 0.0f}};
}

SepticTechTable readSepticTechFile(const std::string& path, std::vector<std::string>* warnings) {
    return parseSepticTechText(path, readWholeFile(path), warnings);
}

namespace {

// Efficiencies, shares and failure rates are percentages of something whole.
float readPercent(ListReader& in, const char* what) {
    const float v = in.readReal(what);
    if (!(v >= 0 && v <= 100))
        in.failRange("0 to 100", what);
    return v;
}

}  // namespace

SepticTechTable parseSepticTechText(const std::string& fileName, std::string content,
                                    std::vector<std::string>* warnings) {
    ListReader in(fileName, std::move(content));
    if (in.readString("file tag") != "SepticData")
        in.fail("\"SepticData\"", "file tag");
    const std::int16_t count = in.readInt16("number of technologies");
    if (count < 0)
        in.fail("a count of 0 or more", "number of technologies");
    in.endRecord(2);
    in.skip(4);  // column headings
    in.endRecord(4);
    SepticTechTable table;
    table.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        SepticTechnology t;
        t.name = in.readString("technology name");
        t.reduction = readPercent(in, "N load reduction (%)");
        t.share = readPercent(in, "population share (%)");
        t.failure = readPercent(in, "failure rate (%)");
        in.endRecord(4);
        table.push_back(std::move(t));
    }
    in.endOfRecords();
    if (warnings)
        warnings->insert(warnings->end(), in.warnings().begin(), in.warnings().end());
    return table;
}

std::string septicTechFileText(const SepticTechTable& table) {
    int kept = 0;
    for (const auto& t : table)
        kept += t.name != kToBeDeleted ? 1 : 0;
    RecordWriter w;
    w.text("SepticData").integer(kept).endRecord();
    w.text("Method").text("Efficiency-N").text("PctPopUse").text("Failure (%)").endRecord();
    for (const auto& t : table) {
        if (t.name == kToBeDeleted)
            continue;
        w.text(t.name).real(t.reduction).real(t.share).real(t.failure).endRecord();
    }
    return w.take();
}

void writeSepticTechFile(const std::string& path, const SepticTechTable& table) {
    writeFileAtomically(path, septicTechFileText(table));
}

namespace {

float numberFromBox(std::string_view text, std::string_view box) {
    float value = 0.0f;
    if (!parseReal(text, value)) {
        throw std::invalid_argument(std::string(box) + ": expected a number, found \"" +
                                    shownText(text) + "\"");
    }
    if (!(value >= 0 && value <= 100)) {
        throw std::invalid_argument(std::string(box) + ": " + formatReal(value) +
                                    " is outside the allowed range 0 to 100");
    }
    return value;
}

}  // namespace

SepticTechnology technologyFromTexts(std::string_view name, std::string_view reduction,
                                     std::string_view share, std::string_view failure) {
    if (name.empty())
        return SepticTechnology{std::string(kToBeDeleted), 0.0f, 0.0f, 0.0f};
    SepticTechnology t;
    t.name = std::string(name);
    t.reduction = numberFromBox(reduction, "Load Reduction (%)");
    t.share = numberFromBox(share, "% Pop. Using the System");
    t.failure = numberFromBox(failure, "System Failure (%)");
    return t;
}

}  // namespace rivulon
