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

SepticTechTable readSepticTechFile(const std::string& path) {
    return parseSepticTechText(path, readWholeFile(path));
}

SepticTechTable parseSepticTechText(const std::string& fileName, std::string content) {
    ListReader in(fileName, std::move(content));
    if (in.readString("file tag") != "SepticData")
        in.fail("\"SepticData\"", "file tag");
    const std::int16_t count = in.readInt16("number of technologies");
    if (count < 0)
        in.fail("a count of 0 or more", "number of technologies");
    in.skip(4);  // column headings
    SepticTechTable table;
    table.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        SepticTechnology t;
        t.name = in.readString("technology name");
        t.reduction = in.readReal("N load reduction (%)");
        t.share = in.readReal("population share (%)");
        t.failure = in.readReal("failure rate (%)");
        table.push_back(std::move(t));
    }
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
                                    std::string(text) + "\"");
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
