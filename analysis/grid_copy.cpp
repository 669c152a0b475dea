#include "analysis/grid_copy.h"

#include <algorithm>
#include <utility>

#include "common/list_reader.h"

namespace rivulon {

void GridSelection::mouseDown(int row, int col) {
    firstRow = static_cast<std::int16_t>(row);
    firstCol = static_cast<std::int16_t>(col);
}

void GridSelection::mouseUp(int row, int col) {
    lastRow = static_cast<std::int16_t>(row);
    lastCol = static_cast<std::int16_t>(col);
    if (firstRow > lastRow)
        std::swap(firstRow, lastRow);
    if (firstCol > lastCol)
        std::swap(firstCol, lastCol);
}

std::string copyText(const TextGrid& grid, const GridSelection& sel,
                     const std::vector<bool>& hidden) {
    std::string out;
    if (grid.rows() == 0 || grid.cols() == 0)
        return out;
    const int c0 = std::clamp<int>(sel.firstCol, 0, grid.cols() - 1);
    const int c1 = std::clamp<int>(sel.lastCol, 0, grid.cols() - 1);
    const int r0 = std::clamp<int>(sel.firstRow, 0, grid.rows() - 1);
    const int r1 = std::clamp<int>(sel.lastRow, 0, grid.rows() - 1);
    for (int c = c0; c <= c1; ++c) {
        out += ',';
        out += grid.at(0, c);
    }
    out += "\r\n";
    for (int r = r0; r <= r1; ++r) {
        if (r < static_cast<int>(hidden.size()) && hidden[r])
            continue;
        out += grid.at(r, 0);
        for (int c = c0; c <= c1; ++c) {
            out += ',';
            out += grid.at(r, c);
        }
        out += "\r\n";
    }
    return out;
}

std::vector<bool> collapsedRows(const TextGrid& grid, int currentRow) {
    std::vector<bool> hidden(grid.rows(), false);
    if (currentRow < 0 || currentRow >= grid.rows() || grid.cols() == 0)
        return hidden;
    const std::string& key = grid.at(currentRow, 0);
    for (int r = 2; r < grid.rows(); ++r)
        hidden[r] = grid.at(r, 0) != key;
    return hidden;
}

int linesPerPage(const TextGrid& grid) {
    if (grid.rows() > 0 && grid.cols() > 7 && !grid.at(0, 7).empty()) {
        const double n = leadingNumber(grid.at(0, 7));
        // A page needs at least one line; anything else would never end a page.
        if (n >= 1 && n <= 1e6)
            return static_cast<int>(n);
    }
    return 60;
}

std::vector<std::vector<std::string>> printPages(const TextGrid& grid) {
    std::vector<std::vector<std::string>> pages;
    const int perPage = linesPerPage(grid);
    for (int r = 0; r < grid.rows(); ++r) {
        if (r % perPage == 0)
            pages.emplace_back(perPage);
        std::string& line = pages.back()[r % perPage];
        std::size_t pos = 1;
        for (int c = 0; c < grid.cols(); ++c) {
            const std::string& text = grid.at(r, c);
            if (!text.empty()) {
                std::size_t at = pos;
                if (!line.empty() && line.size() >= at)
                    at = line.size() + 1;
                line.resize(at, ' ');
                line += text;
            }
            pos += c == 0 ? 15 : c == 2 ? 13 : c == 3 ? 16 : 10;
        }
    }
    for (auto& page : pages) {
        while (!page.empty() && page.back().empty())
            page.pop_back();
    }
    return pages;
}

namespace {

std::size_t displayWidth(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

bool looksNumeric(const std::string& s) {
    float v = 0;
    return !s.empty() && parseReal(s, v);
}

}  // namespace

std::string alignedText(const TextGrid& grid) {
    std::vector<std::size_t> width(grid.cols(), 0);
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            width[c] = std::max(width[c], displayWidth(grid.at(r, c)));
    std::string out;
    for (int r = 0; r < grid.rows(); ++r) {
        std::string line;
        for (int c = 0; c < grid.cols(); ++c) {
            if (width[c] == 0)
                continue;
            const std::string& text = grid.at(r, c);
            const std::size_t pad = width[c] - displayWidth(text);
            if (!line.empty() || c > 0)
                line += "  ";
            if (looksNumeric(text)) {
                line.append(pad, ' ');
                line += text;
            } else {
                line += text;
                line.append(pad, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace rivulon
