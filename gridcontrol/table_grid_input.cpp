// The grid's keyboard and mouse: moving the current cell, selecting,
// resizing rows and columns.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "gridcontrol/table_grid.h"
#include "gridcontrol/twips.h"

namespace tabulex {

void TableGrid::navigate(int key, Qt::KeyboardModifiers modifiers) {
    if (fixedRows_ >= rows_ || fixedCols_ >= cols_)
        return;
    const bool extend = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    int r = extend ? rowSel_ : row_;
    int c = extend ? colSel_ : col_;
    switch (key) {
        case Qt::Key_Up:
            --r;
            break;
        case Qt::Key_Down:
            ++r;
            break;
        case Qt::Key_Left:
            --c;
            break;
        case Qt::Key_Right:
            ++c;
            break;
        case Qt::Key_PageUp:
            r -= pageRows();
            break;
        case Qt::Key_PageDown:
            r += pageRows();
            break;
        case Qt::Key_Home:
            (ctrl ? r : c) = 0;
            break;
        case Qt::Key_End:
            (ctrl ? r : c) = ctrl ? rows_ - 1 : cols_ - 1;
            break;
        default:
            return;
    }
    r = std::clamp(r, fixedRows_, rows_ - 1);
    c = std::clamp(c, fixedCols_, cols_ - 1);
    if (extend) {
        setSelectionEnd(r, c);
        const int keepRow = row_;
        const int keepCol = col_;
        // Scroll to the moving end of the selection without moving the cell.
        row_ = r;
        col_ = c;
        ensureCurrentVisible();
        row_ = keepRow;
        col_ = keepCol;
    } else {
        moveCurrent(r, c);
        ensureCurrentVisible();
    }
}

void TableGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            navigate(event->key(), event->modifiers());
            return;
        default:
            break;
    }
    const QString typed = event->text();
    // Delete produces no character on the platforms hosts come from.
    if (!typed.isEmpty() && typed.at(0).unicode() != 127) {
        emit charTyped(typed.at(0).unicode(), typed);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TableGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    const QPoint pos = event->position().toPoint();
    if ((resizingCol_ = resizeEdgeCol(pos)) >= 0) {
        resizeOrigin_ = pos.x();
        resizeStartSize_ = colWidthPx(resizingCol_);
        return;
    }
    if ((resizingRow_ = resizeEdgeRow(pos)) >= 0) {
        resizeOrigin_ = pos.y();
        resizeStartSize_ = rowHeightPx(resizingRow_);
        return;
    }
    const Hit hit = hitTest(pos);
    if (hit.row < 0 || hit.col < 0)
        return;
    const bool fixedRow = hit.row < fixedRows_;
    const bool fixedCol = hit.col < fixedCols_;
    if (fixedRow || fixedCol) {
        // A header click selects its whole column, row or (corner) the table.
        if (!allowBigSelection_ || fixedRows_ >= rows_ || fixedCols_ >= cols_)
            return;
        if (fixedRow && fixedCol) {
            moveCurrent(fixedRows_, fixedCols_);
            setSelectionEnd(rows_ - 1, cols_ - 1);
        } else if (fixedRow) {
            moveCurrent(fixedRows_, hit.col);
            setSelectionEnd(rows_ - 1, hit.col);
        } else {
            moveCurrent(hit.row, fixedCols_);
            setSelectionEnd(hit.row, cols_ - 1);
        }
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        setSelectionEnd(hit.row, hit.col);
    } else {
        moveCurrent(hit.row, hit.col);
    }
    selecting_ = true;
}

void TableGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (resizingCol_ >= 0) {
        const int px = std::max(0, resizeStartSize_ + pos.x() - resizeOrigin_);
        colWidths_[size_t(resizingCol_)] = pixelsToTwips(px);
        updateScrollBars();
        viewport()->update();
        return;
    }
    if (resizingRow_ >= 0) {
        const int px = std::max(0, resizeStartSize_ + pos.y() - resizeOrigin_);
        rowHeights_[size_t(resizingRow_)] = pixelsToTwips(px);
        updateScrollBars();
        viewport()->update();
        return;
    }
    if (selecting_) {
        const Hit hit = hitTest(pos);
        if (hit.row >= fixedRows_ && hit.col >= fixedCols_)
            setSelectionEnd(hit.row, hit.col);
        return;
    }
    if (resizeEdgeCol(pos) >= 0) {
        viewport()->setCursor(Qt::SplitHCursor);
    } else if (resizeEdgeRow(pos) >= 0) {
        viewport()->setCursor(Qt::SplitVCursor);
    } else {
        viewport()->unsetCursor();
    }
}

void TableGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasPressed = pressed_;
    pressed_ = false;
    selecting_ = false;
    resizingCol_ = -1;
    resizingRow_ = -1;
    if (wasPressed)
        emit Click();
}

void TableGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // Normally the press before it has already chosen the cell.
    const Hit hit = hitTest(event->position().toPoint());
    if (hit.row >= fixedRows_ && hit.col >= fixedCols_)
        moveCurrent(hit.row, hit.col);
    emit doubleClicked();
}

void TableGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    emit gotFocus();
}

void TableGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace tabulex
