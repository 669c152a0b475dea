#include "project/nutrient_matrix.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/value_rules.h"

namespace rivulon {

namespace {

// Months of a manure period from start to end, wrapping past March.
std::vector<int> periodMonths(int start, int end) {
    std::vector<int> months;
    if (start < 1 || start > 12 || end < 1 || end > 12)
        return months;
    for (int m = start;; m = m % 12 + 1) {
        months.push_back(m);
        if (m == end)
            break;
    }
    return months;
}

MatrixRow headingRow(const WatershedSetup& ws) {
    MatrixRow row;
    for (int m = 1; m <= 12; ++m)
        row[m] = ws.monthName[m];
    return row;
}

}  // namespace

NutrientMatrix buildNutrientMatrix(const WatershedSetup& ws, const NutrientSetup& ns,
                                   std::vector<MatrixCell>* manureCells) {
    NutrientMatrix mx;
    mx.n.assign(ws.landUseCount + 1, headingRow(ws));
    mx.p.assign(ws.landUseCount + 1, headingRow(ws));
    for (int k = 1; k <= ws.landUseCount; ++k) {
        const bool rural = k <= ws.ruralCount;
        const auto& nv = rural ? ns.runoffN : ns.buildupN;
        const auto& pv = rural ? ns.runoffP : ns.buildupP;
        mx.n[k] = {};
        mx.p[k] = {};
        mx.n[k][0] = mx.p[k][0] = ws.landUseName[k];
        for (int m = 1; m <= 12; ++m) {
            mx.n[k][m] = formatReal(k < static_cast<int>(nv.size()) ? nv[k][m] : 0.0f);
            mx.p[k][m] = formatReal(k < static_cast<int>(pv.size()) ? pv[k][m] : 0.0f);
        }
    }
    const double manured = std::max(0.0, roundHalfEven(ns.manuredCount));
    const int last = static_cast<int>(std::min<double>(
        {manured, static_cast<double>(ws.ruralCount),
         static_cast<double>(std::min(ns.manuredRunoffN.size(), ns.manuredRunoffP.size())) - 1}));
    const std::pair<int, int> periods[] = {{ns.manureStart, ns.manureEnd},
                                           {ns.manureStart2, ns.manureEnd2}};
    for (const auto& [start, end] : periods) {
        for (int m : periodMonths(start, end)) {
            for (int k = 1; k <= last; ++k) {
                mx.n[k][m] = formatReal(ns.manuredRunoffN[k]);
                mx.p[k][m] = formatReal(ns.manuredRunoffP[k]);
                if (manureCells)
                    manureCells->push_back({k, m});
            }
        }
    }
    return mx;
}

bool hasMatrixBlock(std::string_view content) {
    for (const std::string& line : splitLines(content)) {
        if (line == kMatrixBlockLine)
            return true;
    }
    return false;
}

namespace {
[[noreturn]] void refuseCell(const MatrixCellProblem& bad, const WatershedSetup& ws,
                             const std::string& outcome);
}  // namespace

void appendMatrixBlock(const std::string& path, const WatershedSetup& ws,
                       const NutrientMatrix& matrix) {
    // What the run cannot use is not written for it to find later.
    if (const auto bad = findNonNumber(matrix, ws.landUseCount))
        refuseCell(*bad, ws, "nothing was appended.");
    // A new file chosen in the save dialog is created, as appending would.
    std::string content = fileExists(path) ? readWholeFile(path) : std::string();
    if (hasMatrixBlock(content)) {
        throw MatrixBlockError(MatrixBlockError::Kind::AlreadyPresent, kMatrixExistsMessage);
    }
    RecordWriter w;
    // Ends the last line when the file stops without a line end, else leaves
    // an empty line.
    w.endRecord();
    w.raw(kMatrixBlockLine).endRecord();
    w.integer(ws.landUseCount).integer(ws.ruralCount).integer(ws.urbanCount).endRecord();
    for (const auto* table : {&matrix.n, &matrix.p}) {
        for (std::size_t r = 0; r < table->size(); ++r) {
            for (int c = 0; c < 13; ++c)
                w.text(r == 0 && c == 0 ? "Saved Data" : (*table)[r][c]);
            w.endRecord();
        }
    }
    content += w.str();
    writeFileAtomically(path, content);
}

void readMatrixBlockText(const std::string& fileName, std::string_view content, int landUseCount,
                         NutrientMatrix& matrix) {
    const std::vector<std::string> lines = splitLines(content);
    std::size_t at = 0;
    while (at < lines.size() && lines[at] != kMatrixBlockLine)
        ++at;
    if (at == lines.size()) {
        throw MatrixBlockError(MatrixBlockError::Kind::NotFound, kMatrixNotFoundMessage);
    }
    // Leading line ends keep the reader's line numbers those of the file.
    std::string rest(at + 1, '\n');
    for (std::size_t i = at + 1; i < lines.size(); ++i) {
        rest += lines[i];
        rest += '\n';
    }
    ListReader r(fileName, std::move(rest));
    if (r.readInt16("number of land uses") != landUseCount) {
        throw MatrixBlockError(MatrixBlockError::Kind::WrongLandUseCount, kMatrixWrongFileMessage);
    }
    r.skip(2);
    r.endRecord(3);
    NutrientMatrix read;
    for (auto* table : {&read.n, &read.p}) {
        table->resize(static_cast<std::size_t>(landUseCount) + 1);
        for (std::size_t k = 0; k < table->size(); ++k) {
            MatrixRow& row = (*table)[k];
            for (std::size_t m = 0; m < row.size(); ++m) {
                row[m] = r.readString("matrix cell");
                // Concentrations and build-up rates below 0 have no meaning.
                if (k > 0 && m > 0 &&
                    !kAmountRule.accepts(static_cast<float>(leadingNumber(row[m]))))
                    r.failRange(kAmountRule.allowed, "matrix cell");
            }
            r.endRecord(static_cast<int>(row.size()));
        }
    }
    r.endOfRecords();
    read.warnings = r.warnings();
    matrix = std::move(read);
}

void readMatrixBlock(const std::string& path, int landUseCount, NutrientMatrix& matrix) {
    readMatrixBlockText(path, readWholeFile(path), landUseCount, matrix);
}

std::optional<MatrixCellProblem> findNonNumber(const NutrientMatrix& matrix, int landUseCount) {
    for (const bool phosphorus : {false, true}) {
        const auto& table = phosphorus ? matrix.p : matrix.n;
        for (int k = 1; k <= landUseCount; ++k) {
            for (int m = 1; m <= 12; ++m) {
                const std::string text = k < static_cast<int>(table.size()) ? table[k][m] : "";
                float v = 0;
                if (!parseReal(text, v))
                    return MatrixCellProblem{phosphorus, k, m, text, {}};
                if (!kAmountRule.accepts(v))
                    return MatrixCellProblem{phosphorus, k, m, text,
                                             std::string(kAmountRule.allowed)};
            }
        }
    }
    return std::nullopt;
}

namespace {

// Why a cell keeps the tables from being used or appended; `outcome` says
// what did not happen.
[[noreturn]] void refuseCell(const MatrixCellProblem& bad, const WatershedSetup& ws,
                             const std::string& outcome) {
    const std::string name = bad.row < static_cast<int>(ws.landUseName.size())
                                 ? ws.landUseName[bad.row]
                                 : "land use " + std::to_string(bad.row);
    const std::string month =
        bad.month < static_cast<int>(ws.monthName.size()) && !ws.monthName[bad.month].empty()
            ? ws.monthName[bad.month]
            : "month " + std::to_string(bad.month);
    const std::string what = std::string(bad.phosphorus ? "P" : "N");
    if (!bad.allowed.empty()) {
        throw std::invalid_argument(
            outsideRangeText("The " + what + " value of " + name + " in " + month, bad.text,
                             bad.allowed) +
            "; " + outcome);
    }
    throw std::invalid_argument("The " + what + " value \"" + bad.text + "\" of " + name + " in " +
                                month + " is not a number; " + outcome);
}

}  // namespace

void useNutrientMatrix(const NutrientMatrix& matrix, const WatershedSetup& ws, NutrientSetup& ns,
                       RunOptions& options) {
    if (const auto bad = findNonNumber(matrix, ws.landUseCount))
        refuseCell(*bad, ws, "the data matrix was not used.");
    if (static_cast<int>(ns.runoffN.size()) < ws.landUseCount + 1) {
        ns.resizeLandUses(ws.landUseCount);
    }
    for (int k = 1; k <= ws.landUseCount; ++k) {
        const bool rural = k <= ws.ruralCount;
        for (int m = 1; m <= 12; ++m) {
            const auto value = [&](const std::vector<MatrixRow>& t) {
                return k < static_cast<int>(t.size()) ? static_cast<float>(leadingNumber(t[k][m]))
                                                      : 0.0f;
            };
            (rural ? ns.runoffN : ns.buildupN)[k][m] = value(matrix.n);
            (rural ? ns.runoffP : ns.buildupP)[k][m] = value(matrix.p);
        }
    }
    options.nutrientMatrixInUse = true;
}

}  // namespace rivulon
