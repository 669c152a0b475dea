#include "analysis/table_text.h"

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "common/text_encoding.h"

namespace rivulon {

std::string tableText(const TextGrid& grid) {
    std::string out;
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            out += '"';
            out += grid.at(r, c);
            out += "\",";
        }
        out += "\r\n";
    }
    return out;
}

void saveTableText(const std::string& path, const TextGrid& grid) {
    writeFileAtomically(path, tableText(grid));
}

void parseTableText(const std::string& name, std::string content, TextGrid& grid,
                    std::vector<std::string>* warnings) {
    ListReader in(name, std::move(content));
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            const std::string what = "row " + std::to_string(r) + ", column " + std::to_string(c);
            ListField f = in.next(what);
            // One extra read absorbs the empty field a line's trailing comma
            // leaves; a second empty field is the cell's own (empty) text.
            if (f.text.empty())
                f = in.next(what);
            grid.set(r, c, std::string(f.text));
        }
        in.takeTrailingEmptyField();
        in.endRecord(grid.cols() + 1);  // every cell, then the trailing comma's empty field
    }
    in.endOfRecords();
    if (warnings)
        warnings->insert(warnings->end(), in.warnings().begin(), in.warnings().end());
}

void loadTableText(const std::string& path, TextGrid& grid, std::vector<std::string>* warnings) {
    parseTableText(path, readTextFile(path), grid, warnings);
}

}  // namespace rivulon
