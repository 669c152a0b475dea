#include "gridcontrol/table_grid.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "gridcontrol/twips.h"

namespace tabulex {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw GridError(message.toStdString());
}

void checkRange(const char* property, int value, int low, int high) {
    if (value < low || value > high) {
        fail(QStringLiteral("%1: invalid value %2 (allowed %3 to %4)")
                 .arg(QLatin1String(property))
                 .arg(value)
                 .arg(low)
                 .arg(high));
    }
}

bool looksNumeric(const QString& text) {
    bool ok = false;
    QLocale::c().toDouble(text.trimmed(), &ok);
    return ok;
}

}  // namespace

TableGrid::TableGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    cells_.resize(size_t(rows_) * size_t(cols_));
    colWidths_.assign(size_t(cols_), -1);
    colAlign_.assign(size_t(cols_), kAlignGeneral);
    rowHeights_.assign(size_t(rows_), -1);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    setScrollTrack(false);
    updateFrame();
    updateScrollBars();
}

void TableGrid::checkCell(const char* what, int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) {
        fail(QStringLiteral(
                 "%1(%2, %3): subscript out of range; the grid has %4 rows and %5 columns")
                 .arg(QLatin1String(what))
                 .arg(row)
                 .arg(col)
                 .arg(rows_)
                 .arg(cols_));
    }
}

void TableGrid::setRows(int rows) {
    if (rows < fixedRows_) {
        fail(QStringLiteral("Rows: invalid value %1 (FixedRows is %2)").arg(rows).arg(fixedRows_));
    }
    if (rows == rows_)
        return;
    // Leave a vanishing current cell while it still exists, so that whoever
    // listens can still write to it.
    if (row_ >= rows && rows > 0)
        moveCurrent(rows - 1, col_);
    cells_.resize(size_t(rows) * size_t(cols_));
    rowHeights_.resize(size_t(rows), -1);
    rows_ = rows;
    clampCurrent();
    updateScrollBars();
    viewport()->update();
}

void TableGrid::setCols(int cols) {
    if (cols < fixedCols_) {
        fail(QStringLiteral("Cols: invalid value %1 (FixedCols is %2)").arg(cols).arg(fixedCols_));
    }
    if (cols == cols_)
        return;
    if (col_ >= cols && cols > 0)
        moveCurrent(row_, cols - 1);
    std::vector<Cell> reshaped(size_t(rows_) * size_t(cols));
    const int kept = std::min(cols, cols_);
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < kept; ++c) {
            reshaped[size_t(r) * size_t(cols) + size_t(c)] = std::move(cellAt(r, c));
        }
    }
    cells_ = std::move(reshaped);
    colWidths_.resize(size_t(cols), -1);
    colAlign_.resize(size_t(cols), kAlignGeneral);
    cols_ = cols;
    clampCurrent();
    updateScrollBars();
    viewport()->update();
}

void TableGrid::setFixedRows(int fixedRows) {
    checkRange("FixedRows", fixedRows, 0, rows_);
    fixedRows_ = fixedRows;
    if (row_ < fixedRows_ && fixedRows_ < rows_)
        moveCurrent(fixedRows_, col_);
    topRow_ = std::max(topRow_, fixedRows_);
    updateScrollBars();
    viewport()->update();
}

void TableGrid::setFixedCols(int fixedCols) {
    checkRange("FixedCols", fixedCols, 0, cols_);
    fixedCols_ = fixedCols;
    if (col_ < fixedCols_ && fixedCols_ < cols_)
        moveCurrent(row_, fixedCols_);
    leftCol_ = std::max(leftCol_, fixedCols_);
    updateScrollBars();
    viewport()->update();
}

void TableGrid::clampCurrent() {
    row_ = std::clamp(row_, 0, std::max(0, rows_ - 1));
    col_ = std::clamp(col_, 0, std::max(0, cols_ - 1));
    rowSel_ = std::clamp(rowSel_, 0, std::max(0, rows_ - 1));
    colSel_ = std::clamp(colSel_, 0, std::max(0, cols_ - 1));
}

void TableGrid::setRow(int row) {
    checkRange("Row", row, 0, rows_ - 1);
    moveCurrent(row, col_);
}

void TableGrid::setCol(int col) {
    checkRange("Col", col, 0, cols_ - 1);
    moveCurrent(row_, col);
}

void TableGrid::moveCurrent(int row, int col) {
    if (row == row_ && col == col_) {
        setSelectionEnd(row, col);
        return;
    }
    emit leaveCell();
    row_ = row;
    col_ = col;
    rowSel_ = row;
    colSel_ = col;
    viewport()->update();
    emit RowColChange();
}

void TableGrid::setSelectionEnd(int row, int col) {
    rowSel_ = row;
    colSel_ = col;
    viewport()->update();
}

bool TableGrid::isSelected(int row, int col) const {
    return row >= std::min(row_, rowSel_) && row <= std::max(row_, rowSel_) &&
           col >= std::min(col_, colSel_) && col <= std::max(col_, colSel_);
}

QString TableGrid::text() const {
    checkCell("Text", row_, col_);
    return cellAt(row_, col_).text;
}

void TableGrid::setText(const QString& text) {
    checkCell("Text", row_, col_);
    cellAt(row_, col_).text = text;
    viewport()->update();
}

ColorValue TableGrid::cellForeColor() const {
    checkCell("CellForeColor", row_, col_);
    return cellAt(row_, col_).foreColor;
}

void TableGrid::setCellForeColor(ColorValue color) {
    checkCell("CellForeColor", row_, col_);
    cellAt(row_, col_).foreColor = color;
    viewport()->update();
}

uint TableGrid::cellForeColorAt(int row, int col) const noexcept {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return 0;
    return cellAt(row, col).foreColor;
}

QString TableGrid::textMatrix(int row, int col) const {
    checkCell("TextMatrix", row, col);
    return cellAt(row, col).text;
}

void TableGrid::setTextMatrix(int row, int col, const QString& text) {
    checkCell("TextMatrix", row, col);
    cellAt(row, col).text = text;
    viewport()->update();
}

QString TableGrid::textArray(int index) const {
    if (index < 0 || size_t(index) >= cells_.size()) {
        fail(QStringLiteral("TextArray(%1): subscript out of range; the grid has %2 cells")
                 .arg(index)
                 .arg(cells_.size()));
    }
    return cells_[size_t(index)].text;
}

void TableGrid::setTextArray(int index, const QString& text) {
    textArray(index);  // range check
    cells_[size_t(index)].text = text;
    viewport()->update();
}

int TableGrid::colWidth(int col) const {
    if (col < 0 || col >= cols_) {
        fail(QStringLiteral("ColWidth(%1): subscript out of range; the grid has %2 columns")
                 .arg(col)
                 .arg(cols_));
    }
    const int w = colWidths_[size_t(col)];
    return w < 0 ? kDefaultColWidth : w;
}

void TableGrid::setColWidth(int col, int twips) {
    colWidth(col);
    if (twips < -1)
        fail(QStringLiteral("ColWidth(%1): invalid width %2").arg(col).arg(twips));
    colWidths_[size_t(col)] = twips;
    updateScrollBars();
    viewport()->update();
}

int TableGrid::rowHeight(int row) const {
    if (row < 0 || row >= rows_) {
        fail(QStringLiteral("RowHeight(%1): subscript out of range; the grid has %2 rows")
                 .arg(row)
                 .arg(rows_));
    }
    const int h = rowHeights_[size_t(row)];
    return h < 0 ? defaultRowHeight() : h;
}

void TableGrid::setRowHeight(int row, int twips) {
    rowHeight(row);
    if (twips < -1)
        fail(QStringLiteral("RowHeight(%1): invalid height %2").arg(row).arg(twips));
    rowHeights_[size_t(row)] = twips;
    updateScrollBars();
    viewport()->update();
}

int TableGrid::colAlignment(int col) const {
    if (col < 0 || col >= cols_) {
        fail(QStringLiteral("ColAlignment(%1): subscript out of range; the grid has %2 columns")
                 .arg(col)
                 .arg(cols_));
    }
    return colAlign_[size_t(col)];
}

void TableGrid::setColAlignment(int col, int alignment) {
    colAlignment(col);
    checkRange("ColAlignment", alignment, 0, kAlignGeneral);
    colAlign_[size_t(col)] = alignment;
    viewport()->update();
}

int TableGrid::textWidthPx(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

// The cell's margins: 3 pixels each side and the grid line on the right.
QRect TableGrid::textRect(const QRect& cell) const {
    return cell.adjusted(3, 1, -3 - gridLineWidth_, -1 - gridLineWidth_);
}

int TableGrid::textRoomPx(int col) const {
    colWidth(col);
    return std::max(0, colWidthPx(col) - 6 - gridLineWidth_);
}

bool TableGrid::cellTextFits(int row, int col) const {
    checkCell("TextMatrix", row, col);
    const QString& text = cellAt(row, col).text;
    return text.isEmpty() || wordWrap_ || textWidthPx(text) <= textRoomPx(col);
}

// Summed character advances: as wide as the shaped text or a shade wider
// (kerning only narrows Latin digits and letters), at a fraction of the cost.
int TableGrid::quickTextWidthPx(const QString& text) const {
    if (asciiAdvance_.empty()) {
        const QFontMetricsF metrics(font());
        asciiAdvance_.resize(95);
        for (int i = 0; i < 95; ++i)
            asciiAdvance_[size_t(i)] = metrics.horizontalAdvance(QChar(32 + i));
    }
    qreal width = 0;
    for (const QChar ch : text) {
        const ushort code = ch.unicode();
        if (code < 32 || code > 126)
            return textWidthPx(text);
        width += asciiAdvance_[size_t(code - 32)];
    }
    return int(std::ceil(width));
}

void TableGrid::fitColumnToText(int col, int minTwips) {
    if (colWidth(col) == 0)
        return;
    int widest = -1;
    int widestRow = -1;
    for (int r = 0; r < rows_; ++r) {
        const QString& text = cellAt(r, col).text;
        if (text.isEmpty())
            continue;
        const int width = quickTextWidthPx(text);
        if (width > widest) {
            widest = width;
            widestRow = r;
        }
    }
    if (widestRow < 0) {
        if (minTwips > 0)
            setColWidth(col, minTwips);
        return;
    }
    widest = std::max(widest, textWidthPx(cellAt(widestRow, col).text));
    // One pixel to spare for a text the summed advances placed a shade short.
    const int needed = pixelsToTwips(widest + 1 + 6 + gridLineWidth_);
    setColWidth(col, std::max(minTwips, needed));
}

void TableGrid::fitColumnsToText(int minTwips) {
    for (int c = 0; c < cols_; ++c)
        fitColumnToText(c, minTwips);
}

bool TableGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const Hit hit = hitTest(help->pos());
        if (hit.row >= 0 && hit.col >= 0 && !cellTextFits(hit.row, hit.col)) {
            const QRect cell(colX(hit.col), rowY(hit.row), colWidthPx(hit.col),
                             rowHeightPx(hit.row));
            QToolTip::showText(help->globalPos(), cellAt(hit.row, hit.col).text, viewport(), cell);
            return true;
        }
        QToolTip::hideText();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TableGrid::setAllowUserResizing(int mode) {
    checkRange("AllowUserResizing", mode, 0, 3);
    allowUserResizing_ = mode;
}

void TableGrid::setAppearance(int appearance) {
    checkRange("Appearance", appearance, 0, 1);
    appearance_ = appearance;
    updateFrame();
}

void TableGrid::setBorderStyle(int style) {
    checkRange("BorderStyle", style, 0, 1);
    borderStyle_ = style;
    updateFrame();
}

void TableGrid::setFocusRect(int style) {
    checkRange("FocusRect", style, 0, 2);
    focusRect_ = style;
    viewport()->update();
}

void TableGrid::setGridLines(int style) {
    checkRange("GridLines", style, 0, 3);
    gridLines_ = style;
    viewport()->update();
}

void TableGrid::setGridLinesFixed(int style) {
    checkRange("GridLinesFixed", style, 0, 3);
    gridLinesFixed_ = style;
    viewport()->update();
}

void TableGrid::setGridLineWidth(int pixels) {
    checkRange("GridLineWidth", pixels, 1, 10);
    gridLineWidth_ = pixels;
    viewport()->update();
}

void TableGrid::setRedraw(bool on) {
    redraw_ = on;
    viewport()->setUpdatesEnabled(on);
    if (on)
        viewport()->update();
}

void TableGrid::setScrollBars(int mode) {
    checkRange("ScrollBars", mode, 0, 3);
    scrollBars_ = mode;
    setHorizontalScrollBarPolicy((mode & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((mode & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TableGrid::setScrollTrack(bool on) {
    scrollTrack_ = on;
    verticalScrollBar()->setTracking(on);
    horizontalScrollBar()->setTracking(on);
}

void TableGrid::setWordWrap(bool on) {
    wordWrap_ = on;
    viewport()->update();
}

void TableGrid::setBackColor(ColorValue c) {
    backColor_ = c;
    viewport()->update();
}
void TableGrid::setBackColorBkg(ColorValue c) {
    backColorBkg_ = c;
    viewport()->update();
}
void TableGrid::setBackColorFixed(ColorValue c) {
    backColorFixed_ = c;
    viewport()->update();
}
void TableGrid::setBackColorSel(ColorValue c) {
    backColorSel_ = c;
    viewport()->update();
}
void TableGrid::setForeColor(ColorValue c) {
    foreColor_ = c;
    viewport()->update();
}
void TableGrid::setForeColorSel(ColorValue c) {
    foreColorSel_ = c;
    viewport()->update();
}

// "|<Name|^Area|>Load;|Row 1|Row 2": column headers before the semicolon,
// row headers after it, with < ^ > choosing left, centre or right alignment.
// Columns are widened to their header text.
void TableGrid::setFormatString(const QString& format) {
    formatString_ = format;
    if (format.isEmpty())
        return;
    const int semicolon = format.indexOf(QLatin1Char(';'));
    const QString colPart = semicolon < 0 ? format : format.left(semicolon);
    const QString rowPart = semicolon < 0 ? QString() : format.mid(semicolon + 1);
    const QFontMetrics fm = fontMetrics();
    const int pad = 8;
    if (!colPart.isEmpty()) {
        const QStringList heads = colPart.split(QLatin1Char('|'));
        if (cols_ < heads.size())
            setCols(int(heads.size()));
        for (int c = 0; c < heads.size(); ++c) {
            QString head = heads[c];
            int align = colAlign_[size_t(c)];
            if (head.startsWith(QLatin1Char('<')))
                align = 1;
            if (head.startsWith(QLatin1Char('^')))
                align = 4;
            if (head.startsWith(QLatin1Char('>')))
                align = 7;
            if (align != colAlign_[size_t(c)])
                head.remove(0, 1);
            colAlign_[size_t(c)] = align;
            if (rows_ > 0)
                cellAt(0, c).text = head;
            colWidths_[size_t(c)] = pixelsToTwips(fm.horizontalAdvance(head) + pad);
        }
    }
    if (!rowPart.isEmpty() && cols_ > 0) {
        const QStringList heads = rowPart.split(QLatin1Char('|'));
        if (rows_ < heads.size())
            setRows(int(heads.size()));
        int widest = 0;
        for (int r = 0; r < heads.size(); ++r) {
            cellAt(r, 0).text = heads[r];
            widest = std::max(widest, fm.horizontalAdvance(heads[r]) + pad);
        }
        colWidths_[0] = std::max(colWidth(0), pixelsToTwips(widest));
    }
    updateScrollBars();
    viewport()->update();
}

void TableGrid::drawCell(QPainter& p, int row, int col, const QRect& rect) const {
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    const bool current = row == row_ && col == col_;
    const bool selected = !fixed && !current && isSelected(row, col);
    const Cell& cell = cellAt(row, col);
    ColorValue back = backColor_;
    ColorValue fore = cell.foreColor != 0 ? cell.foreColor : foreColor_;
    if (fixed) {
        back = backColorFixed_;
        fore = foreColorFixed_;
    } else if (selected) {
        back = backColorSel_;
        fore = foreColorSel_;
    }
    p.fillRect(rect, color(back));

    const int lw = gridLineWidth_;
    const int style = fixed ? gridLinesFixed_ : gridLines_;
    const QRect right(rect.right() - lw + 1, rect.top(), lw, rect.height());
    const QRect bottom(rect.left(), rect.bottom() - lw + 1, rect.width(), lw);
    const QRect left(rect.left(), rect.top(), lw, rect.height());
    const QRect top(rect.left(), rect.top(), rect.width(), lw);
    if (style == 1) {
        const QColor line = fixed ? QColor(0, 0, 0) : QColor(0xC0, 0xC0, 0xC0);
        p.fillRect(right, line);
        p.fillRect(bottom, line);
    } else if (style >= 2) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const bool raised = style == 3;
        p.fillRect(left, raised ? light : dark);
        p.fillRect(top, raised ? light : dark);
        p.fillRect(right, raised ? dark : light);
        p.fillRect(bottom, raised ? dark : light);
    }

    if (!cell.text.isEmpty()) {
        int align = colAlign_[size_t(col)];
        int flags = Qt::AlignVCenter;
        if (align == kAlignGeneral) {
            flags |= looksNumeric(cell.text) ? Qt::AlignRight : Qt::AlignLeft;
        } else {
            const int h = align / 3;
            const int v = align % 3;
            flags = (h == 0   ? Qt::AlignLeft
                     : h == 1 ? Qt::AlignHCenter
                              : Qt::AlignRight) |
                    (v == 0   ? Qt::AlignTop
                     : v == 1 ? Qt::AlignVCenter
                              : Qt::AlignBottom);
        }
        const QRect box = textRect(rect);
        QString shown = cell.text;
        if (wordWrap_) {
            flags |= Qt::TextWordWrap;
        } else if (textWidthPx(shown) > box.width()) {
            // Cut at the end, so that a number keeps its leading digits.
            shown = fontMetrics().elidedText(shown, Qt::ElideRight, box.width());
        }
        p.setPen(color(fore));
        p.drawText(box, flags, shown);
    }

    if (current && !fixed && focusRect_ != 0 && hasFocus()) {
        QPen pen(color(fore));
        pen.setStyle(focusRect_ == 1 ? Qt::DotLine : Qt::SolidLine);
        pen.setWidth(focusRect_ == 2 ? 2 : 1);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const int inset = focusRect_ == 2 ? 1 : 0;
        p.drawRect(rect.adjusted(inset, inset, -lw - inset, -lw - inset));
    }
}

void TableGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRect area = viewport()->rect();
    p.fillRect(area, color(backColorBkg_));

    std::vector<int> rowsShown;
    for (int r = 0, y = 0; r < rows_ && y < area.height(); ++r) {
        if (r == fixedRows_)
            r = std::max(r, topRow_);
        if (r >= rows_)
            break;
        rowsShown.push_back(r);
        y += rowHeightPx(r);
    }
    std::vector<int> colsShown;
    for (int c = 0, x = 0; c < cols_ && x < area.width(); ++c) {
        if (c == fixedCols_)
            c = std::max(c, leftCol_);
        if (c >= cols_)
            break;
        colsShown.push_back(c);
        x += colWidthPx(c);
    }
    int y = 0;
    for (const int r : rowsShown) {
        const int h = rowHeightPx(r);
        int x = 0;
        for (const int c : colsShown) {
            const int w = colWidthPx(c);
            if (w > 0 && h > 0)
                drawCell(p, r, c, QRect(x, y, w, h));
            x += w;
        }
        y += h;
    }
}

void TableGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TableGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        asciiAdvance_.clear();
        updateScrollBars();
    }
    viewport()->update();
}

}  // namespace tabulex
