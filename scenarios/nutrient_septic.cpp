#include "scenarios/nutrient_septic.h"

#include <cmath>
#include <vector>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "project/nutrient_file.h"

namespace rivulon {

float NutrientSeptic::normalSum() const {
    float sum = 0.0f;
    for (int m = 1; m <= 12; ++m)
        sum = sum + normalPop[m];
    return sum;
}

float NutrientSeptic::pondedSum() const {
    float sum = 0.0f;
    for (int m = 1; m <= 12; ++m)
        sum = sum + pondedPop[m];
    return sum;
}

namespace {

struct Field {
    std::string text;
    bool quoted = false;
    int line = 0;
    int field = 0;
    std::size_t end = 0;  // offset just after the field and its delimiter
};

// Commas on the second line: the manure line holds five fields from three on.
int manureCommas(const std::string& content) {
    std::size_t pos = content.find_first_of("\r\n");
    if (pos == std::string::npos)
        return 0;
    pos += (content[pos] == '\r' && pos + 1 < content.size() && content[pos + 1] == '\n') ? 2 : 1;
    int n = 0;
    for (; pos < content.size() && content[pos] != '\r' && content[pos] != '\n'; ++pos)
        n += content[pos] == ',' ? 1 : 0;
    return n;
}

[[noreturn]] void failAt(const std::string& fileName, const Field& f, const std::string& expected,
                         const std::string& what) {
    throw ReadError(fileName, f.line, f.field, expected, f.text, what);
}

bool isNumber(const Field& f) {
    float v = 0.0f;
    return parseReal(f.text, v);
}

float numberOf(const std::string& fileName, const Field& f, const std::string& what) {
    float v = 0.0f;
    if (!parseReal(f.text, v))
        failAt(fileName, f, "a number", what);
    return v;
}

// The flag is a whole number 0..3.
bool flagValue(const Field& f, int& flag) {
    float v = 0.0f;
    if (!parseReal(f.text, v) || v != std::floor(v) || v < 0.0f || v > 3.0f)
        return false;
    flag = static_cast<int>(v);
    return true;
}

}  // namespace

NutrientSeptic readNutrientSeptic(const std::string& fileName, const std::string& content,
                                  std::optional<int> landUseCount) {
    ListReader in(fileName, content);
    const float first = in.readReal("sediment N");
    const int columns = first < 0.0f ? 3 : 2;
    in.skip(columns == 3 ? 5 : 3);
    const float manured = in.readReal("number of manured land uses");
    in.skip(manureCommas(content) >= 3 ? 4 : 2);
    const double manuredRounded = roundHalfEven(static_cast<double>(manured));
    if (manuredRounded < 0 || manuredRounded > 32767)
        in.fail("a count from 0 to 32767", "number of manured land uses");
    const long manuredCount = static_cast<long>(manuredRounded);
    std::size_t sectionStart = in.offset();

    // Everything up to an appended data matrix, which is not part of the run's data.
    std::vector<Field> fields;
    while (!in.atEnd()) {
        const ListField lf = in.next();
        if (!lf.quoted && lf.text == "Nutrient Data Matrix")
            break;
        fields.push_back(Field{std::string(lf.text), lf.quoted, lf.line, lf.field, in.offset()});
    }

    const long fixedBefore = 2 * manuredCount + 12L * columns;  // manured rows, year-1 points
    // nonNumeric[i]: fields before i that are not numbers, so each candidate
    // count is checked in constant time.
    std::vector<long> nonNumeric(fields.size() + 1, 0);
    for (std::size_t i = 0; i < fields.size(); ++i)
        nonNumeric[i + 1] = nonNumeric[i] + (isNumber(fields[i]) ? 0 : 1);
    auto fits = [&](long luCount, int& flag) {
        const long flagIdx = static_cast<long>(columns) * luCount + fixedBefore;
        const long afterSeptic = flagIdx + 1 + 48 + 4;
        if (afterSeptic > static_cast<long>(fields.size()))
            return false;
        if (!flagValue(fields[flagIdx], flag))
            return false;
        // The flag is a number too, so no field up to the section's end may be text.
        if (nonNumeric[afterSeptic] != 0)
            return false;
        const long rest = static_cast<long>(fields.size()) - afterSeptic;
        if (flag < 2)
            return rest == 0;
        return rest % (12L * columns) == 0;
    };

    long luCount = -1;
    int flag = 0;
    if (landUseCount) {
        luCount = *landUseCount;
        const long flagIdx = columns * luCount + fixedBefore;
        for (long i = 0; i < flagIdx + 53; ++i) {
            if (i >= static_cast<long>(fields.size())) {
                throw ReadError(fileName, fields.empty() ? in.line() : fields.back().line,
                                "the file ends before its septic section");
            }
            if (i == flagIdx) {
                if (!flagValue(fields[i], flag))
                    failAt(fileName, fields[i], "a flag 0, 1, 2 or 3", "septic/point flag");
            } else {
                numberOf(fileName, fields[i], "nutrient value");
            }
        }
    } else {
        std::vector<long> candidates;
        for (long k = 0; columns * k + fixedBefore + 53 <= static_cast<long>(fields.size()); ++k) {
            int f = 0;
            if (fits(k, f))
                candidates.push_back(k);
        }
        if (candidates.size() > 1) {
            // Files written by the program hold the flag alone on its line.
            std::vector<long> alone;
            for (long k : candidates) {
                const auto& f = fields[columns * k + fixedBefore];
                const auto& next = fields[columns * k + fixedBefore + 1];
                if (f.field == 1 && next.line > f.line)
                    alone.push_back(k);
            }
            candidates = alone;
        }
        if (candidates.size() != 1) {
            throw ReadError(fileName, 0,
                            "cannot tell where the septic section begins without the number of "
                            "land uses of the transport file");
        }
        luCount = candidates.front();
        fits(luCount, flag);
    }

    const std::size_t flagIdx = static_cast<std::size_t>(columns * luCount + fixedBefore);
    NutrientSeptic s;
    s.flag = flag;
    s.rewriteBegin = flagIdx == 0 ? sectionStart : fields[flagIdx - 1].end;
    std::size_t i = flagIdx + 1;
    for (int m = 1; m <= 12; ++m) {
        s.normalPop[m] = numberOf(fileName, fields[i++], "normal-system population");
        s.pondedPop[m] = numberOf(fileName, fields[i++], "ponded-system population");
        s.shortCircuitPop[m] = numberOf(fileName, fields[i++], "short-circuited population");
        s.directPop[m] = numberOf(fileName, fields[i++], "direct-discharge population");
    }
    s.rewriteEnd = fields[i - 1].end;
    s.perCapitaN = numberOf(fileName, fields[i++], "septic N loading");
    s.perCapitaP = numberOf(fileName, fields[i++], "septic P loading");
    s.uptakeN = numberOf(fileName, fields[i++], "septic N uptake");
    s.uptakeP = numberOf(fileName, fields[i++], "septic P uptake");
    // The first year of point sources stands before the septic section; the
    // flag says whether whole later years follow it.
    const std::size_t perYear = 12u * static_cast<std::size_t>(columns);
    s.pointYears = 1 + (flag >= 2 ? static_cast<int>((fields.size() - i) / perYear) : 0);
    return s;
}

std::vector<std::string> nutrientLayoutWarnings(const std::string& fileName,
                                                const std::string& content,
                                                const WatershedSetup& watershed, int pointYears) {
    std::vector<std::string> warnings;
    try {
        NutrientSetup setup;
        readNutrientText(fileName, content, watershed, pointYears, setup, &warnings);
    } catch (const std::exception&) {
    }
    return warnings;
}

std::string withSepticPopulation(const std::string& content, const NutrientSeptic& septic,
                                 const SepticSplit& monthly) {
    const int flag = septic.flag == 0 ? 1 : septic.flag == 2 ? 3 : septic.flag;
    RecordWriter w;
    w.integer(flag).endRecord();
    for (int m = 1; m <= 12; ++m) {
        w.real(static_cast<float>(monthly.normal))
            .real(static_cast<float>(monthly.ponded))
            .real(septic.shortCircuitPop[m])
            .real(septic.directPop[m])
            .endRecord();
    }
    std::string out = content.substr(0, septic.rewriteBegin);
    out += w.str();
    out += content.substr(septic.rewriteEnd);
    return out;
}

}  // namespace rivulon
