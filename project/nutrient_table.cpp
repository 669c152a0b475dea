#include "project/nutrient_table.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "common/value_rules.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"

namespace rivulon {

namespace {

// A number field kept as the text the file holds.
std::string numberText(ListReader& r, std::string_view what) {
    const ListField f = r.next(what);
    float value = 0;
    if (!parseReal(f.text, value))
        r.fail("a number", what);
    return std::string(f.text);
}

template <std::size_t N>
void readRows(ListReader& r, std::size_t rows, int columns, std::string_view what,
              std::vector<std::array<std::string, N>>& out) {
    out.assign(rows, std::array<std::string, N>{});
    for (auto& row : out) {
        for (int c = 0; c < columns; ++c)
            row[c] = numberText(r, what);
        r.endRecord(columns);
    }
}

std::size_t roundedCount(const std::string& text) {
    float v = 0;
    if (!parseReal(text, v))
        return 0;
    const double n = roundHalfEven(v);
    return n > 0 ? static_cast<std::size_t>(std::min(n, 32767.0)) : 0;
}

// True when twelve more rows of point-source numbers follow (a data-matrix
// block or the end of the file does not).
// Twelve rows a year within the 16-bit row numbers of the file's readers.
constexpr int kMaxPointYears = 32767 / 12;

bool wholeYearFollows(const ListReader& r, int columns) {
    ListReader probe = r;
    for (int i = 0; i < 12 * columns; ++i) {
        if (probe.atEnd())
            return false;
        float v = 0;
        if (!parseReal(probe.next().text, v))
            return false;
    }
    return true;
}

void readTable(ListReader& r, int commas, int ruralCount, int urbanCount,
               const std::function<int()>& pointYears, NutrientTable& t) {
    std::string first = numberText(r, "sediment N");
    float firstValue = 0;
    parseReal(first, firstValue);
    t.columns = firstValue < 0 ? 3 : 2;
    if (firstValue < 0)
        first.erase(0, first.find('-') + 1);
    t.general = {};
    t.general[0] = first;
    t.general[1] = numberText(r, "sediment P");
    if (t.columns == 3)
        t.general[2] = numberText(r, "sediment C");
    t.general[3] = numberText(r, "groundwater N");
    t.general[4] = numberText(r, "groundwater P");
    if (t.columns == 3)
        t.general[5] = numberText(r, "groundwater C");
    r.endRecord(t.columns == 3 ? 6 : 4);

    t.manuredCount = numberText(r, "number of manured land uses");
    t.manureStart = numberText(r, "manure start month");
    t.manureEnd = numberText(r, "manure end month");
    t.manureStart2.clear();
    t.manureEnd2.clear();
    if (commas >= 3) {
        t.manureStart2 = numberText(r, "2nd manure start month");
        t.manureEnd2 = numberText(r, "2nd manure end month");
    }
    r.endRecord(commas >= 3 ? 5 : 3);

    readRows(r, std::max(ruralCount, 0), t.columns, "runoff concentration", t.rural);
    readRows(r, std::max(urbanCount, 0), t.columns, "build-up rate", t.urban);
    readRows(r, roundedCount(t.manuredCount), 2, "manured runoff concentration", t.manured);
    readRows(r, 12, t.columns, "point source", t.point);

    t.flag = numberText(r, "septic/point source flag");
    r.endRecord(1);
    for (auto& row : t.septic) {
        for (auto& cell : row)
            cell = numberText(r, "septic population");
        r.endRecord(4);
    }
    for (auto& cell : t.septicLoads)
        cell = numberText(r, "septic loading");
    r.endRecord(4);

    const double flag = leadingNumber(t.flag);
    if (flag == 2 || flag == 3) {
        // As many years as the run may ask for, never a hundredth cut off.
        const int years = std::clamp(pointYears ? pointYears() : 1, 1, kMaxPointYears);
        t.point.resize(12 * static_cast<std::size_t>(years));
        for (std::size_t i = 12; i < t.point.size(); ++i) {
            for (int c = 0; c < t.columns; ++c)
                t.point[i][c] = numberText(r, "point source");
            r.endRecord(t.columns);
        }
        // Whole years the file holds beyond the answer are kept: saving the
        // table must not drop them.
        for (int more = 0; years + more < kMaxPointYears && wholeYearFollows(r, t.columns);
             ++more) {
            std::array<std::string, 3> row{};
            for (int i = 0; i < 12; ++i) {
                for (int c = 0; c < t.columns; ++c)
                    row[c] = numberText(r, "point source");
                t.point.push_back(row);
            }
        }
    }
    if (!r.nextLineIs(kMatrixBlockLine))
        r.endOfRecords();
}

void cell(RecordWriter& w, const std::string& text) {
    w.real(static_cast<float>(leadingNumber(text)));
}

}  // namespace

void readNutrientTableText(const std::string& fileName, std::string content, int ruralCount,
                           int urbanCount, const std::function<int()>& pointYears,
                           NutrientTable& table) {
    const int commas = manureCommaCount(content);
    ListReader r(fileName, std::move(content));
    readTable(r, commas, ruralCount, urbanCount, pointYears, table);
    table.warnings = r.warnings();
}

void readNutrientTable(const std::string& path, int ruralCount, int urbanCount,
                       const std::function<int()>& pointYears, NutrientTable& table) {
    readNutrientTableText(path, readWholeFile(path), ruralCount, urbanCount, pointYears, table);
}

std::string nutrientFileText(const NutrientTable& t) {
    if (t.point.size() < 12) {
        throw FileError(
            "The point-source table needs 12 monthly rows; the nutrient file was not "
            "written.");
    }
    const bool threeColumns = !t.general[2].empty();
    const int columns = threeColumns ? 3 : 2;
    RecordWriter w;
    if (threeColumns) {
        w.real(-static_cast<float>(leadingNumber(t.general[0])));
        cell(w, t.general[1]);
        cell(w, t.general[2]);
        cell(w, t.general[3]);
        cell(w, t.general[4]);
        cell(w, t.general[5]);
    } else {
        cell(w, t.general[0]);
        cell(w, t.general[1]);
        cell(w, t.general[3]);
        cell(w, t.general[4]);
    }
    w.endRecord();

    cell(w, t.manuredCount);
    cell(w, t.manureStart);
    cell(w, t.manureEnd);
    if (leadingNumber(t.manureStart2) != 0 && leadingNumber(t.manureEnd2) != 0) {
        cell(w, t.manureStart2);
        cell(w, t.manureEnd2);
    }
    w.endRecord();

    auto rows = [&](const auto& table, std::size_t from, std::size_t to, int cols) {
        for (std::size_t i = from; i < to && i < table.size(); ++i) {
            for (int c = 0; c < cols; ++c)
                cell(w, table[i][c]);
            w.endRecord();
        }
    };
    rows(t.rural, 0, t.rural.size(), columns);
    rows(t.urban, 0, t.urban.size(), columns);
    rows(t.manured, 0, t.manured.size(), 2);
    rows(t.point, 0, 12, columns);

    const double flag = leadingNumber(t.flag);
    cell(w, t.flag);
    w.endRecord();
    const bool septic = flag == 1 || flag == 3;
    for (const auto& row : t.septic) {
        for (const auto& c : row) {
            if (septic) {
                cell(w, c);
            } else {
                w.real(0.0f);
            }
        }
        w.endRecord();
    }
    for (const auto& c : t.septicLoads)
        cell(w, c);
    w.endRecord();

    if ((flag == 2 || flag == 3) && t.point.size() > 12) {
        rows(t.point, 12, t.point.size() - 1, columns);
        const auto& last = t.point.back();
        for (int c = 0; c + 1 < columns; ++c)
            cell(w, last[c]);
        // The file ends with the last cell as typed, without a line end;
        // text that is not a number is written as its numeric value instead,
        // so that the file still reads back.
        std::string text(last[columns - 1]);
        const auto b = text.find_first_not_of(" \t");
        text = b == std::string::npos ? std::string()
                                      : text.substr(b, text.find_last_not_of(" \t") - b + 1);
        float v = 0;
        if (parseReal(text, v)) {
            w.raw(text);
        } else {
            cell(w, text);
        }
    }
    return w.take();
}

void writeNutrientFile(const std::string& path, const NutrientTable& table) {
    writeFileAtomically(path, nutrientFileText(table));
}

std::optional<NutrientCellProblem> findNonNumber(const NutrientTable& t) {
    using Table = NutrientCellProblem::Table;
    const auto bad = [](const std::string& text) {
        float v = 0;
        return !parseReal(text, v);
    };
    const bool threeColumns = !t.general[2].empty();
    const int columns = threeColumns ? 3 : 2;
    for (int i : {0, 1, 2, 3, 4, 5}) {
        if ((i == 2 || i == 5) && !threeColumns)
            continue;
        if (bad(t.general[i]))
            return NutrientCellProblem{Table::General, 0, i, t.general[i], {}};
    }
    const std::string* manure[] = {&t.manuredCount, &t.manureStart, &t.manureEnd, &t.manureStart2,
                                   &t.manureEnd2};
    const bool secondPeriod =
        leadingNumber(t.manureStart2) != 0 && leadingNumber(t.manureEnd2) != 0;
    for (int i = 0; i < 5; ++i) {
        if (i >= 3 && !secondPeriod)
            continue;
        if (bad(*manure[i]))
            return NutrientCellProblem{Table::General, 0, 6 + i, *manure[i], {}};
    }
    auto rows = [&](const auto& table, Table which, std::size_t from, std::size_t to,
                    int cols) -> std::optional<NutrientCellProblem> {
        for (std::size_t r = from; r < to && r < table.size(); ++r) {
            for (int c = 0; c < cols; ++c) {
                if (bad(table[r][c]))
                    return NutrientCellProblem{which, static_cast<int>(r), c, table[r][c], {}};
            }
        }
        return std::nullopt;
    };
    if (auto p = rows(t.rural, Table::Rural, 0, t.rural.size(), columns))
        return p;
    if (auto p = rows(t.urban, Table::Urban, 0, t.urban.size(), columns))
        return p;
    if (auto p = rows(t.manured, Table::Manured, 0, t.manured.size(), 2))
        return p;
    if (t.point.size() < 12)
        return NutrientCellProblem{Table::Point, static_cast<int>(t.point.size()), 0, {}, {}};
    if (auto p = rows(t.point, Table::Point, 0, 12, columns))
        return p;
    if (bad(t.flag))
        return NutrientCellProblem{Table::General, 0, 11, t.flag, {}};
    const double flag = leadingNumber(t.flag);
    if (flag == 1 || flag == 3) {
        if (auto p = rows(t.septic, Table::Septic, 0, t.septic.size(), 4))
            return p;
    }
    for (int c = 0; c < 4; ++c) {
        if (bad(t.septicLoads[c]))
            return NutrientCellProblem{Table::SepticLoads, 0, c, t.septicLoads[c], {}};
    }
    if (flag == 2 || flag == 3) {
        if (auto p = rows(t.point, Table::Point, 12, t.point.size(), columns))
            return p;
    }
    return std::nullopt;
}

std::optional<NutrientCellProblem> findOutOfRange(const NutrientTable& t) {
    using Table = NutrientCellProblem::Table;
    const ValueRule& rule = kAmountRule;
    const auto refused = [&rule](const std::string& text) {
        return !rule.accepts(static_cast<float>(leadingNumber(text)));
    };
    const auto problem = [&rule](Table which, std::size_t row, int col, const std::string& text) {
        return NutrientCellProblem{which, static_cast<int>(row), col, text,
                                   std::string(rule.allowed)};
    };
    const int columns = t.general[2].empty() ? 2 : 3;
    for (int i = 0; i < 6; ++i) {
        if (!t.general[i].empty() && refused(t.general[i]))
            return problem(Table::General, 0, i, t.general[i]);
    }
    const double flag = leadingNumber(t.flag);
    // Rows the save writes as zeros, or not at all, do not count.
    const bool pointYears = flag == 2 || flag == 3;
    auto rows = [&](const auto& table, Table which,
                    int cols) -> std::optional<NutrientCellProblem> {
        const std::size_t last = which == Table::Point && !pointYears
                                     ? std::min<std::size_t>(12, table.size())
                                     : table.size();
        for (std::size_t r = 0; r < last; ++r) {
            for (int c = 0; c < cols; ++c) {
                if (refused(table[r][c]))
                    return problem(which, r, c, table[r][c]);
            }
        }
        return std::nullopt;
    };
    if (auto p = rows(t.rural, Table::Rural, columns))
        return p;
    if (auto p = rows(t.urban, Table::Urban, columns))
        return p;
    if (auto p = rows(t.manured, Table::Manured, 2))
        return p;
    if (auto p = rows(t.point, Table::Point, columns))
        return p;
    if (flag == 1 || flag == 3) {
        if (auto p = rows(t.septic, Table::Septic, 4))
            return p;
    }
    // The plants' uptake is a share the run does not check.
    for (int c = 0; c < 2; ++c) {
        if (refused(t.septicLoads[c]))
            return problem(Table::SepticLoads, 0, c, t.septicLoads[c]);
    }
    return std::nullopt;
}

NutrientTable newNutrientTable(int ruralCount, int urbanCount, int manuredCount, int pointYears) {
    NutrientTable t;
    t.columns = 2;
    t.general = {"0", "0", "", "0", "0", ""};
    t.manuredCount = std::to_string(std::max(manuredCount, 0));
    t.manureStart = "0";
    t.manureEnd = "12";
    t.rural.assign(std::max(ruralCount, 0), {"0", "0", "0"});
    t.urban.assign(std::max(urbanCount, 0), {"0", "0", "0"});
    t.manured.assign(std::max(manuredCount, 0), {"0", "0"});
    t.point.assign(12 * static_cast<std::size_t>(std::max(pointYears, 1)), {"0", "0", "0"});
    t.flag = "0";
    for (auto& row : t.septic)
        row = {"0", "0", "0", "0"};
    t.septicLoads = {"12", "2.5", "1.6", "0.4"};
    return t;
}

}  // namespace rivulon
