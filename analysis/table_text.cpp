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

void parseTableText(const std::string& name, std::string content, TextGrid& grid) {
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
    }
}

void loadTableText(const std::string& path, TextGrid& grid) {
    parseTableText(path, readTextFile(path), grid);
}

}  // namespace rivulon
