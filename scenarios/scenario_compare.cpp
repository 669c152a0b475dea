#include "scenarios/scenario_compare.h"

#include <stdexcept>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"

namespace rivulon {

CompareTable loadCompareTable(const std::string& path, int rows, int cols) {
    CompareTable t = parseCompareTable(path, readWholeFile(path), rows, cols);
    t.fileName = fileNameOf(path);
    return t;
}

CompareTable parseCompareTable(const std::string& fileName, std::string content, int rows,
                               int cols) {
    ListReader in(fileName, std::move(content));
    CompareTable t;
    t.fileName = fileNameOf(fileName);
    t.cells.assign(static_cast<std::size_t>(rows),
                   std::vector<std::string>(static_cast<std::size_t>(cols)));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const std::string what = "cell " + std::to_string(r) + "," + std::to_string(c);
            std::string text = in.readString(what);
            if (text.empty())
                text = in.readString(what);
            t.cells[r][c] = std::move(text);
        }
        in.takeTrailingEmptyField();
        in.endRecord(cols + 1);  // every cell, then the trailing comma's empty field
    }
    in.endOfRecords();
    t.warnings = in.warnings();
    return t;
}

CompareSeries compareSeries(const std::vector<CompareTable>& tables, int row, int col) {
    CompareSeries s;
    if (tables.empty())
        return s;
    auto cell = [&](const CompareTable& t, int r, int c) -> const std::string& {
        if (r < 0 || c < 0 || r >= static_cast<int>(t.cells.size()) ||
            c >= static_cast<int>(t.cells[r].size())) {
            throw std::out_of_range("Row " + std::to_string(r) + ", column " + std::to_string(c) +
                                    " is outside the table of " + t.fileName + ".");
        }
        return t.cells[r][c];
    };
    s.title = cell(tables[0], 0, col) + ": Annual output under different scenarios";
    s.footnote = cell(tables[0], row, 0) + " the current plotted source.";
    for (const auto& t : tables) {
        const std::string& text = cell(t, row, col);
        s.labels.push_back(t.fileName);
        s.texts.push_back(text);
        s.values.push_back(leadingNumber(text));
    }
    return s;
}

}  // namespace rivulon
