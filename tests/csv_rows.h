#pragma once

// The cells of a comma-separated text, row by row (no quoting: the files the
// tests read hold plain numbers and names without commas).

#include <string>
#include <string_view>
#include <vector>

#include "common/list_reader.h"

namespace rivulon::test {

inline std::vector<std::vector<std::string>> csvRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : splitLines(text)) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            cells.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace rivulon::test
