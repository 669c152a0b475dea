// The grid's geometry: row and column positions in pixels, hit testing,
// the scroll bars and the frame.
#include <QScrollBar>
#include <algorithm>

#include "gridcontrol/table_grid.h"
#include "gridcontrol/twips.h"

namespace tabulex {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw GridError(message.toStdString());
}

}  // namespace

int TableGrid::defaultRowHeight() const {
    return std::max(240, pixelsToTwips(fontMetrics().height() + 3));
}

int TableGrid::rowHeightPx(int row) const {
    const int h = rowHeights_[size_t(row)];
    return twipsToPixels(h < 0 ? defaultRowHeight() : h);
}

int TableGrid::colWidthPx(int col) const {
    const int w = colWidths_[size_t(col)];
    return twipsToPixels(w < 0 ? kDefaultColWidth : w);
}

int TableGrid::fixedHeightPx() const {
    int h = 0;
    for (int r = 0; r < fixedRows_; ++r)
        h += rowHeightPx(r);
    return h;
}

int TableGrid::fixedWidthPx() const {
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c)
        w += colWidthPx(c);
    return w;
}

int TableGrid::rowY(int row) const {
    if (row < fixedRows_) {
        int y = 0;
        for (int r = 0; r < row; ++r)
            y += rowHeightPx(r);
        return y;
    }
    int y = fixedHeightPx();
    if (row >= topRow_) {
        for (int r = topRow_; r < row; ++r)
            y += rowHeightPx(r);
    } else {
        for (int r = row; r < topRow_; ++r)
            y -= rowHeightPx(r);
    }
    return y;
}

int TableGrid::colX(int col) const {
    if (col < fixedCols_) {
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += colWidthPx(c);
        return x;
    }
    int x = fixedWidthPx();
    if (col >= leftCol_) {
        for (int c = leftCol_; c < col; ++c)
            x += colWidthPx(c);
    } else {
        for (int c = col; c < leftCol_; ++c)
            x -= colWidthPx(c);
    }
    return x;
}

int TableGrid::rowPos(int row) const {
    if (row < 0 || row >= rows_) {
        fail(QStringLiteral("RowPos(%1): subscript out of range; the grid has %2 rows")
                 .arg(row)
                 .arg(rows_));
    }
    return pixelsToTwips(viewport()->y() + rowY(row));
}

int TableGrid::colPos(int col) const {
    if (col < 0 || col >= cols_) {
        fail(QStringLiteral("ColPos(%1): subscript out of range; the grid has %2 columns")
                 .arg(col)
                 .arg(cols_));
    }
    return pixelsToTwips(viewport()->x() + colX(col));
}

TableGrid::Hit TableGrid::hitTest(const QPoint& pos) const {
    Hit hit;
    auto find = [](int coord, int fixed, int first, int count, int origin, auto size) {
        int edge = 0;
        for (int i = 0; i < fixed; ++i) {
            edge += size(i);
            if (coord < edge)
                return i;
        }
        edge = origin;
        for (int i = first; i < count; ++i) {
            edge += size(i);
            if (coord < edge)
                return i;
        }
        return -1;
    };
    if (pos.x() < 0 || pos.y() < 0)
        return hit;
    hit.row = find(pos.y(), fixedRows_, topRow_, rows_, fixedHeightPx(),
                   [this](int r) { return rowHeightPx(r); });
    hit.col = find(pos.x(), fixedCols_, leftCol_, cols_, fixedWidthPx(),
                   [this](int c) { return colWidthPx(c); });
    return hit;
}

int TableGrid::resizeEdgeCol(const QPoint& pos) const {
    if (!(allowUserResizing_ & 1) || pos.y() >= fixedHeightPx())
        return -1;
    for (int c = 0; c < cols_; ++c) {
        if (c >= fixedCols_ && c < leftCol_)
            continue;
        const int edge = colX(c) + colWidthPx(c);
        if (std::abs(pos.x() - edge) <= 2)
            return c;
        if (edge > viewport()->width())
            break;
    }
    return -1;
}

int TableGrid::resizeEdgeRow(const QPoint& pos) const {
    if (!(allowUserResizing_ & 2) || pos.x() >= fixedWidthPx())
        return -1;
    for (int r = 0; r < rows_; ++r) {
        if (r >= fixedRows_ && r < topRow_)
            continue;
        const int edge = rowY(r) + rowHeightPx(r);
        if (std::abs(pos.y() - edge) <= 2)
            return r;
        if (edge > viewport()->height())
            break;
    }
    return -1;
}

int TableGrid::pageRows() const {
    const int avail = viewport()->height() - fixedHeightPx();
    int n = 0;
    int y = 0;
    for (int r = topRow_; r < rows_; ++r) {
        y += rowHeightPx(r);
        if (y > avail)
            break;
        ++n;
    }
    return std::max(1, n);
}

void TableGrid::ensureCurrentVisible() {
    const int vh = viewport()->height();
    const int vw = viewport()->width();
    // The first row (column) to show is found by walking back from the
    // current one over one screenful, so that a jump to the end of a long
    // table costs what a step does.
    if (row_ >= fixedRows_ && row_ < rows_) {
        if (row_ < topRow_) {
            topRow_ = row_;
        } else {
            const int avail = vh - fixedHeightPx();
            int first = row_;
            int used = rowHeightPx(row_);
            while (first > topRow_ && used + rowHeightPx(first - 1) <= avail) {
                --first;
                used += rowHeightPx(first);
            }
            topRow_ = std::max(topRow_, first);
        }
    }
    if (col_ >= fixedCols_ && col_ < cols_) {
        if (col_ < leftCol_) {
            leftCol_ = col_;
        } else {
            const int avail = vw - fixedWidthPx();
            int first = col_;
            int used = colWidthPx(col_);
            while (first > leftCol_ && used + colWidthPx(first - 1) <= avail) {
                --first;
                used += colWidthPx(first);
            }
            leftCol_ = std::max(leftCol_, first);
        }
    }
    updateScrollBars();
    viewport()->update();
}

void TableGrid::updateScrollBars() {
    const int availH = viewport()->height() - fixedHeightPx();
    int maxTop = rows_ - 1;
    int acc = 0;
    for (int r = rows_ - 1; r >= fixedRows_; --r) {
        acc += rowHeightPx(r);
        if (acc > availH)
            break;
        maxTop = r;
    }
    maxTop = std::max(maxTop, fixedRows_);
    const int availW = viewport()->width() - fixedWidthPx();
    int maxLeft = cols_ - 1;
    acc = 0;
    for (int c = cols_ - 1; c >= fixedCols_; --c) {
        acc += colWidthPx(c);
        if (acc > availW)
            break;
        maxLeft = c;
    }
    maxLeft = std::max(maxLeft, fixedCols_);
    topRow_ = std::clamp(topRow_, fixedRows_, maxTop);
    leftCol_ = std::clamp(leftCol_, fixedCols_, maxLeft);

    syncingScroll_ = true;
    verticalScrollBar()->setRange(0, maxTop - fixedRows_);
    verticalScrollBar()->setPageStep(pageRows());
    verticalScrollBar()->setValue(topRow_ - fixedRows_);
    horizontalScrollBar()->setRange(0, maxLeft - fixedCols_);
    horizontalScrollBar()->setPageStep(1);
    horizontalScrollBar()->setValue(leftCol_ - fixedCols_);
    syncingScroll_ = false;
}

void TableGrid::scrollContentsBy(int, int) {
    if (syncingScroll_)
        return;
    topRow_ = fixedRows_ + verticalScrollBar()->value();
    leftCol_ = fixedCols_ + horizontalScrollBar()->value();
    viewport()->update();
}

void TableGrid::updateFrame() {
    if (borderStyle_ == 0) {
        setFrameStyle(QFrame::NoFrame);
    } else if (appearance_ == 1) {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
}

}  // namespace tabulex
